#include "core/Realm.h"

#include "core/Trace.h"

static_assert(sizeof(Cell) == 3, "a cell is three bytes");

Realm::Realm()
    : cells(size * size)
{
    TRACE();
}

Realm::~Realm() = default;

Cell& Realm::cell(int x, int y)
{
    TRACE();
    if (x < 0 || x >= size || y < 0 || y >= size)
        return spare;
    return cells[y * size + x];
}

void Realm::clear()
{
    TRACE();
    cells.assign(size * size, Cell());
    spare = Cell();
}
