"""Finds where a single realistic fault can be planted in one C++ source file.

The file is read as tokens, not parsed: enough structure is recovered to tell function
bodies and data tables from declarations, statements from expressions, and template
brackets from comparisons. Every mutation replaces one span of the original text.
"""

import bisect
import re
from dataclasses import dataclass

# What each kind of mutation does, for the report.
OPERATORS = {
    "boundary": "move a bound or a number by one",
    "comparison": "flip a comparison",
    "constant": "change a constant",
    "logic": "swap && and ||",
    "condition": "invert a condition",
    "statement": "drop a statement",
    "arguments": "swap two arguments",
}


@dataclass(frozen=True)
class Token:
    kind: str  # "id", "num", "str", "chr" or "op"
    text: str
    start: int
    end: int


@dataclass(frozen=True)
class Mutant:
    path: str  # relative to the repository
    line: int
    operator: str
    start: int  # the replaced span of the original text
    end: int
    replacement: str

    def key(self):
        return f"{self.path}:{self.start}:{self.end}:{self.operator}:{self.replacement}"

    def apply(self, text):
        return text[: self.start] + self.replacement + text[self.end :]

    def describe(self, text):
        """The changed lines before and after, on one line each."""
        first = text.rfind("\n", 0, self.start) + 1
        last = text.find("\n", self.end)
        last = len(text) if last < 0 else last
        before = " ".join(text[first:last].split())
        after = " ".join((text[first : self.start] + self.replacement + text[self.end : last]).split())
        return before, after


TOKEN_PATTERN = re.compile(
    r"""
      (?P<space>\s+)
    | (?P<comment>//[^\n]*|/\*.*?\*/)
    | (?P<directive>\#(?:[^\n\\]|\\.)*)
    | (?P<str>(?:u8|u|U|L)?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|(?:u8|u|U|L)?"(?:[^"\\\n]|\\.)*")
    | (?P<chr>(?:u8|u|U|L)?'(?:[^'\\\n]|\\.)*')
    | (?P<num>(?:0[xX][0-9a-fA-F']+|0[bB][01']+|\d[\d']*\.?[\d']*(?:[eE][+-]?\d+)?|\.\d[\d']*(?:[eE][+-]?\d+)?)[uUlLfF]*)
    | (?P<id>[A-Za-z_]\w*)
    | (?P<op>>>=|<<=|<=>|->\*|\.\.\.|::|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||[-+*/%&|^]=|[][{}();:,.?~!+\-*/%^&|=<>])
    """,
    re.VERBOSE | re.DOTALL,
)


def tokenize(text):
    tokens = []
    position = 0
    while position < len(text):
        match = TOKEN_PATTERN.match(text, position)
        if not match:
            raise ValueError(f"cannot read the character at offset {position}")
        kind = match.lastgroup if match.lastgroup != "delim" else "str"
        if kind in ("str", "chr", "num", "id", "op"):
            tokens.append(Token(kind, match.group(), match.start(), match.end()))
        position = match.end()
    return tokens


CONTROL_WORDS = {"if", "while", "for", "switch", "return", "sizeof", "alignof", "decltype", "catch",
                 "static_cast", "dynamic_cast", "const_cast", "reinterpret_cast", "noexcept"}
DECLARATION_WORDS = {"const", "constexpr", "static", "auto", "unsigned", "signed", "long", "short",
                     "int", "char", "bool", "float", "double", "void", "volatile", "inline",
                     "struct", "class", "typename", "thread_local", "using", "typedef", "enum"}
BODY_OPENERS = {")", "]", "const", "override", "final", "noexcept", "mutable", "else", "do", "try"}
# Logging and tracing say what happened; a fault in them is not a fault in the game.
SILENT_CALLS = {"LOG", "TRACE", "static_assert", "assert"}
# Calls whose arguments can be swapped without changing anything.
SYMMETRIC_CALLS = {"min", "max", "swap", "SDL_min", "SDL_max", "hypot"}
MIN_MAX = {"min": "max", "max": "min", "SDL_min": "SDL_max", "SDL_max": "SDL_min"}
FLIPPED = {"<": ">", ">": "<", "<=": ">=", ">=": "<=", "==": "!=", "!=": "=="}
MOVED = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>=", "++", "--"}
PLAIN_STRING = re.compile(r"[ -!#-\[\]-~]{1,40}")  # printable, without quotes or backslashes


class SourceFile:
    """One source file, its tokens and the places a mutation may go."""

    def __init__(self, path, text):
        self.path = path
        self.text = text
        self.tokens = tokenize(text)
        self.line_starts = [0] + [m.end() for m in re.finditer(r"\n", text)]
        self.partner = self._match_brackets()
        self.template_brackets = self._find_template_brackets()
        self.code = set()  # indexes of tokens inside function bodies and data tables
        self.silent = set()  # indexes of tokens in logging, tracing and static assertions
        self.statements = []  # (first, semicolon) token indexes of droppable statements
        self.conditions = []  # (open, close) parenthesis indexes of if and while conditions
        self._scan_scope(0, len(self.tokens))

    # -- reading the structure ------------------------------------------------------------

    def text_at(self, index):
        return self.tokens[index].text if 0 <= index < len(self.tokens) else ""

    def line_of(self, offset):
        return bisect.bisect_right(self.line_starts, offset)

    def _match_brackets(self):
        partner = {}
        stack = []
        for index, token in enumerate(self.tokens):
            if token.kind != "op":
                continue
            if token.text in ("(", "[", "{"):
                stack.append(index)
            elif token.text in (")", "]", "}"):
                if not stack:
                    raise ValueError(f"unbalanced {token.text} on line {self.line_of(token.start)}")
                opener = stack.pop()
                partner[opener] = index
                partner[index] = opener
        if stack:
            raise ValueError(f"unclosed bracket on line {self.line_of(self.tokens[stack[-1]].start)}")
        return partner

    def _find_template_brackets(self):
        """The < and > of template arguments, which are no comparisons."""
        found = set()
        allowed = {"::", ",", "*", "&", "const", "unsigned", "signed", "long", "short"}
        for index, token in enumerate(self.tokens):
            if token.text != "<" or index == 0 or self.tokens[index - 1].kind != "id":
                continue
            if self.text_at(index - 1) == "operator":
                continue
            depth = 1
            inner = [index]
            cursor = index + 1
            while cursor < len(self.tokens) and depth > 0:
                text = self.tokens[cursor].text
                if text == "<":
                    depth += 1
                    inner.append(cursor)
                elif text in (">", ">>"):
                    depth -= 1 if text == ">" else 2
                    inner.append(cursor)
                elif not (self.tokens[cursor].kind in ("id", "num") or text in allowed):
                    break
                cursor += 1
            if depth <= 0:
                found.update(inner)
        return found

    def _skip_to(self, index, end, stops):
        """The first index from `index` whose token is one of `stops`, outside brackets."""
        while index < end and self.text_at(index) not in stops:
            if self.text_at(index) in ("(", "[", "{"):
                index = self.partner[index]
            index += 1
        return index

    def _mark(self, first, last, into):
        into.update(range(first, last + 1))

    def _scan_scope(self, index, end):
        """Walks the items of a namespace or class: declarations, tables and functions."""
        while index < end:
            first = index
            if self.text_at(first) in SILENT_CALLS:
                stop = self._skip_to(first, end, {";"})
                self._mark(first, stop, self.silent)
                index = stop + 1
                continue
            stop = self._skip_to(first, end, {";", "{"})
            if stop >= end:
                return
            words = [self.text_at(i) for i in range(first, stop)]
            if self.text_at(stop) == ";":
                if "=" in self._top_level(first, stop):
                    self._mark(self._top_level(first, stop)["="], stop, self.code)
                index = stop + 1
                continue
            close = self.partner[stop]
            if "namespace" in words[:2] or words[:1] == ["extern"]:
                self._scan_scope(stop + 1, close)
                index = close + 1
            elif words and words[0] in ("struct", "class", "union") and "(" not in words:
                self._scan_scope(stop + 1, close)
                index = self._skip_to(close + 1, end, {";"}) + 1
            elif words and words[0] == "enum":
                index = self._skip_to(close + 1, end, {";"}) + 1
            elif "=" in self._top_level(first, stop) or "(" not in words:
                start = self._top_level(first, stop).get("=", stop)
                semicolon = self._skip_to(close + 1, end, {";"})
                self._mark(start, semicolon, self.code)
                index = semicolon + 1
            else:
                index = self._scan_function(first, stop, end)

    def _top_level(self, first, stop):
        """The first index of each token text outside brackets between first and stop."""
        found = {}
        index = first
        while index < stop:
            found.setdefault(self.text_at(index), index)
            if self.text_at(index) in ("(", "[", "{"):
                index = self.partner[index]
            index += 1
        return found

    def _scan_function(self, first, brace, end):
        """A function definition; a constructor's member initializers count as its code."""
        parameters = self._skip_to(first, brace, {"("})
        after_parameters = self.partner.get(parameters, brace) + 1
        body = brace
        while self.text_at(body - 1) not in BODY_OPENERS | {"}"}:
            # a member initialized with braces, such as `cells{}`, comes before the body
            following = self._skip_to(self.partner[body] + 1, end, {"{"})
            if following >= end:
                body = brace
                break
            body = following
        close = self.partner[body]
        self._mark(after_parameters, close, self.code)
        self._scan_block(body + 1, close)
        return close + 1

    def _scan_block(self, index, end):
        while index < end:
            index = self._scan_statement(index, end)

    def _scan_statement(self, index, end):
        word = self.text_at(index)
        if word == "{":
            self._scan_block(index + 1, self.partner[index])
            return self.partner[index] + 1
        if word == ";":
            return index + 1
        if word in ("if", "while", "for", "switch"):
            opener = index + 2 if self.text_at(index + 1) == "constexpr" else index + 1
            closer = self.partner[opener]
            if word in ("if", "while") and ";" not in self._top_level(opener + 1, closer):
                self.conditions.append((opener, closer))
            self._scan_lambdas(opener, closer)
            index = self._scan_statement(closer + 1, end)
            if word == "if" and self.text_at(index) == "else":
                index = self._scan_statement(index + 1, end)
            return index
        if word == "try":
            index = self._scan_statement(index + 1, end)
            while self.text_at(index) == "catch":
                index = self._scan_statement(self.partner[index + 1] + 1, end)
            return index
        if word == "do":
            index = self._scan_statement(index + 1, end)
            return self.partner[index + 1] + 2
        if word in ("case", "default") or (self.text_at(index + 1) == ":" and self.tokens[index].kind == "id"):
            return self._skip_to(index, end, {":"}) + 1
        semicolon = self._skip_to(index, end, {";"})
        if word in SILENT_CALLS:
            self._mark(index, semicolon, self.silent)
        elif self._is_droppable(index, semicolon):
            self.statements.append((index, semicolon))
        self._scan_lambdas(index, semicolon)
        return semicolon + 1

    def _scan_lambdas(self, index, end):
        """Statements inside the lambdas of an expression are statements too."""
        while index < end:
            if self.text_at(index) == "{" and self.text_at(index - 1) in (")", "]", "mutable"):
                self._scan_block(index + 1, self.partner[index])
                index = self.partner[index]
            index += 1

    def _is_droppable(self, first, semicolon):
        """An expression statement made for its effect, not a declaration or a jump."""
        if self.text_at(first) == "delete":
            return True
        if self.text_at(first) in DECLARATION_WORDS | {"return", "break", "continue", "goto", "throw"}:
            return False
        if self._declares(first):
            return False
        top = self._top_level(first, semicolon)
        return any(text in top for text in ASSIGNMENTS | {"("})

    def _declares(self, first):
        """Whether the statement at `first` starts with a type followed by a name."""
        index = first + 1 if self.text_at(first) == "::" else first
        while True:
            if index >= len(self.tokens) or self.tokens[index].kind != "id":
                return False
            index += 1
            if self.text_at(index) == "<" and index in self.template_brackets:
                index = self._template_end(index) + 1
            if self.text_at(index) != "::":
                break
            index += 1
        while self.text_at(index) in ("*", "&", "&&", "const"):
            index += 1
        return index < len(self.tokens) and self.tokens[index].kind == "id"

    def _template_end(self, opener):
        depth = 0
        index = opener
        while True:
            text = self.text_at(index)
            depth += {"<": 1, ">": -1, ">>": -2}.get(text, 0)
            if depth <= 0:
                return index
            index += 1

    # -- the mutations -------------------------------------------------------------------

    def mutants(self):
        found = []
        for index in sorted(self.code - self.silent):
            found.extend(self._token_mutants(index))
        for first, semicolon in self.statements:
            if first not in self.silent:
                found.append(self._mutant("statement", first, semicolon, "{}"))
        for opener, closer in self.conditions:
            inner = self.text[self.tokens[opener + 1].start : self.tokens[closer - 1].end]
            found.append(self._mutant("condition", opener, closer, f"(!({inner}))"))
        return sorted(found, key=lambda m: (m.start, m.end, m.operator, m.replacement))

    def _mutant(self, operator, first, last, replacement):
        start = self.tokens[first].start
        return Mutant(self.path, self.line_of(start), operator, start, self.tokens[last].end, replacement)

    def _token_mutants(self, index):
        token = self.tokens[index]
        text = token.text
        if token.kind == "num":
            return [self._mutant(op, index, index, value) for op, value in number_changes(text)]
        if token.kind == "str":
            content = text[1:-1]
            if text.startswith('"') and PLAIN_STRING.fullmatch(content):
                return [self._mutant("constant", index, index, f'"{content[:-1]}"')]
            return []
        if text in ("true", "false"):
            return [self._mutant("constant", index, index, "false" if text == "true" else "true")]
        if text in FLIPPED and index not in self.template_brackets:
            changes = [self._mutant("comparison", index, index, FLIPPED[text])]
            if text in MOVED:
                changes.append(self._mutant("boundary", index, index, MOVED[text]))
            return changes
        if text in ("&&", "||"):
            if self.text_at(index - 1) in ("auto", "const", ">") or index - 1 in self.template_brackets:
                return []
            return [self._mutant("logic", index, index, "||" if text == "&&" else "&&")]
        if text in MIN_MAX and self.text_at(index + 1) == "(":
            return [self._mutant("comparison", index, index, MIN_MAX[text])]
        if token.kind == "id" and self.text_at(index + 1) == "(":
            return self._argument_swaps(index)
        return []

    def _argument_swaps(self, callee):
        name = self.text_at(callee)
        if name in CONTROL_WORDS or name in SILENT_CALLS or name in SYMMETRIC_CALLS:
            return []
        opener = callee + 1
        closer = self.partner[opener]
        arguments = []
        first = opener + 1
        while first < closer:
            comma = self._skip_to_argument_end(first, closer)
            arguments.append((first, comma - 1))
            first = comma + 1
        swaps = []
        for (a_first, a_last), (b_first, b_last) in zip(arguments, arguments[1:]):
            a = self.text[self.tokens[a_first].start : self.tokens[a_last].end]
            b = self.text[self.tokens[b_first].start : self.tokens[b_last].end]
            kinds = {self.tokens[a_first].kind if a_first == a_last else "", self.tokens[b_first].kind
                     if b_first == b_last else ""}
            if a != b and kinds != {"str", "num"}:  # a text and a number never trade places
                between = self.text[self.tokens[a_last].end : self.tokens[b_first].start]
                swaps.append(self._mutant("arguments", a_first, b_last, b + between + a))
        return swaps

    def _skip_to_argument_end(self, index, closer):
        while index < closer and self.text_at(index) != ",":
            if self.text_at(index) in ("(", "[", "{"):
                index = self.partner[index]
            elif self.text_at(index) == "<" and index in self.template_brackets:
                index = self._template_end(index)
            index += 1
        return index


def number_changes(text):
    """A numeric literal moved by one, or another constant in its place, as (operator, text)."""
    integer = re.fullmatch(r"(0[xX][0-9a-fA-F']+|[1-9][\d']*|0)([uUlL]*)", text)
    if integer:
        digits, suffix = integer.groups()
        hexadecimal = digits[:2] in ("0x", "0X")
        value = int(digits.replace("'", ""), 0)

        def spelled(number):
            return f"0x{number:X}{suffix}" if hexadecimal else f"{number}{suffix}"

        if value == 0:
            return [("constant", spelled(1))]
        if value == 1:
            return [("constant", spelled(0)), ("boundary", spelled(2))]
        return [("boundary", spelled(value + 1)), ("boundary", spelled(value - 1))]
    decimal = re.fullmatch(r"(\d[\d']*\.?[\d']*(?:[eE][+-]?\d+)?|\.\d[\d']*(?:[eE][+-]?\d+)?)([fFlL]?)", text)
    if decimal:
        value = float(decimal.group(1).replace("'", ""))
        return [("constant", ("1.0" if value == 0 else repr(value * 2)) + decimal.group(2))]
    return []  # octal and binary literals are rare enough to leave alone


def find_mutants(path, text):
    return SourceFile(path, text).mutants()
