#include "TestSupport.h"
#include "core/Storage.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string path(const std::string& name)
{
    return testUserRoot() + "/" + name;
}

// A root with `depth` - 1 objects nested one in the other, each under the empty key.
std::string nestedRecords(int depth)
{
    std::string opening;
    for (int level = 1; level < depth; level++)
        opening += "\x02" + storageText("");
    return opening + std::string(size_t(depth), 'c');
}

} // namespace

TEST(StorageFormat, SingleEntryExample)
{
    Storage storage;
    storage.setString("a", "1");
    ASSERT_TRUE(storage.save(path("one.storage")));
    EXPECT_EQ(readFileBytes(path("one.storage")), std::string("\x01\x01\x00\x00\x00" "a" "\x01\x00\x00\x00" "1" "c", 12));
}

TEST(StorageFormat, KeysListsAndObjectsAreWrittenInOrder)
{
    Storage storage;
    storage.setString("b", "2");
    storage.setString("a", "1");
    auto child = std::make_unique<Storage>();
    child->setInt("x", -7);
    storage.setObject("obj", std::move(child));
    auto first = std::make_unique<Storage>();
    first->setString("n", "first");
    storage.addToList(std::move(first));
    storage.addToList(std::make_unique<Storage>());
    ASSERT_TRUE(storage.save(path("order.storage")));

    std::string expected = storageEntry("a", "1") + storageEntry("b", "2") + "\x03" + le32(2)
        + storageEntry("n", "first") + "c" + "c" + "\x02" + storageText("obj") + storageEntry("x", "-7") + "c" + "c";
    EXPECT_EQ(readFileBytes(path("order.storage")), expected);

    Storage loaded;
    ASSERT_TRUE(loaded.load(path("order.storage"), true));
    EXPECT_EQ(loaded.getInt("a", 0), 1);
    ASSERT_EQ(loaded.list.size(), 2u);
    EXPECT_EQ(loaded.list[0]->getString("n", ""), "first");
    EXPECT_TRUE(loaded.list[1]->isEmpty());
    ASSERT_NE(loaded.getObject("obj", false), nullptr);
    EXPECT_EQ(loaded.getObject("obj", false)->getInt("x", 0), -7);
}

TEST(StorageFormat, ReaderAcceptsAnyFieldOrderSeveralListsAndTheLongestStrings)
{
    std::string longest(4095, 'x');
    std::string bytes = "\x03" + le32(1) + "c" + storageEntry("k", longest) + "\x03" + le32(1)
        + storageEntry("m", "2") + "c" + storageEntry("b", "1") + storageEntry("a", "2") + storageEntry("b", "3")
        + "c" + "trailing junk";
    writeFileBytes(path("any.storage"), bytes);
    Storage storage;
    ASSERT_TRUE(storage.load(path("any.storage"), true));
    EXPECT_EQ(storage.getString("k", ""), longest);
    ASSERT_EQ(storage.list.size(), 2u);
    EXPECT_EQ(storage.list[1]->getInt("m", 0), 2);
    // Keys out of order are kept in order, and a key given twice holds its last value.
    EXPECT_EQ(storage.encoded().find(storageEntry("a", "2") + storageEntry("b", "3") + storageEntry("k", longest)), 0u);
}

TEST(StorageFailures, BrokenFilesFailAndSayWhy)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* why;
    } files[] = {
        {"empty", "", "ERROR: Reached end of file without 99 marker!"},
        {"noend", storageEntry("kept", "yes"), "ERROR: Reached end of file without 99 marker!"},
        {"cut", "\x01" + storageText("key") + le32(10) + "abc", ""},
        {"type4", "\x04", "ERROR: Unknown field type 4"},
        {"toolong", storageEntry("k", std::string(4096, 'x')) + "c", "ERROR: FOUND STRING LONGER THAN 4095 bytes"},
        {"hugelist", "\x03" + le32(4000000000u) + "c" + "c", ""}, // the count is not believed up front
        {"deep", nestedRecords(Storage::maxDepth + 1), "ERROR: Storage records nested deeper than 64 levels"},
        // Once a stack overflow at every start: 100 000 nested records.
        {"deeper", nestedRecords(100000), "ERROR: Storage records nested deeper than 64 levels"},
    };
    std::map<std::string, Storage> loaded;
    for (const auto& file : files) {
        writeFileBytes(path(file.name), file.bytes);
        int before = logLinesContaining(file.why);
        EXPECT_FALSE(loaded[file.name].load(path(file.name), true)) << file.name;
        EXPECT_EQ(logLinesContaining("ERROR: Loading storage failed: " + path(file.name)), 1) << file.name;
        if (*file.why) {
            EXPECT_GT(logLinesContaining(file.why), before) << file.name;
        }
    }
    // What was read before the fault stays.
    EXPECT_EQ(loaded["noend"].getString("kept", ""), "yes");
    EXPECT_FALSE(loaded["cut"].has("key"));
    EXPECT_EQ(loaded["hugelist"].list.size(), 2u);
    EXPECT_TRUE(loaded["deeper"].isEmpty());

    Storage deepest;
    writeFileBytes(path("deepest"), nestedRecords(Storage::maxDepth));
    EXPECT_TRUE(deepest.load(path("deepest"), true));

    // A folder in the file's place, and a file larger than any the game writes, are
    // refused before anything is read.
    ASSERT_EQ(mkdir(path("folder.storage").c_str(), 0700), 0);
    writeFileBytes(path("huge.storage"), "");
    ASSERT_EQ(truncate(path("huge.storage").c_str(), Storage::maxFileSize + 1), 0);
    for (const char* name : {"folder.storage", "huge.storage"})
        EXPECT_FALSE(Storage().load(path(name), true)) << name;
    EXPECT_EQ(logLinesContaining("ERROR: Storage " + path("folder.storage") + " is no plain file"), 1);
    EXPECT_EQ(logLinesContaining("ERROR: Storage " + path("huge.storage") + " of 67108865 bytes is larger than"), 1);

    Storage missing;
    EXPECT_FALSE(missing.load(path("nothing-here.storage"), true));
    EXPECT_EQ(logLinesContaining("ERROR: Loading storage " + path("nothing-here.storage") + ". Error: "), 1);
    missing.setString("a", "1");
    EXPECT_FALSE(missing.save(path("no/such/folder/x.storage")));
    EXPECT_GT(logLinesContaining("ERROR: Saving failed. File: "), 0);
}

TEST(StorageValues, IntegersAndFlags)
{
    Storage storage;
    storage.setInt("neg", -1);
    storage.setString("two", "2");
    storage.setString("zero", "0");
    EXPECT_EQ(storage.getString("neg", ""), "-1");
    // Anything but a whole number in range reads as the default.
    const std::pair<const char*, int> numbers[] = {{"-1", -1}, {"007", 7}, {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN}, {"2147483648", 17}, {"-2147483649", 17}, {"", 17}, {"-", 17}, {"12abc", 17},
        {" 5", 17}, {"99999999999", 17}};
    for (const auto& [text, value] : numbers) {
        storage.setString("number", text);
        EXPECT_EQ(storage.getInt("number", 17), value) << text;
    }
    EXPECT_EQ(storage.getInt("absent", 17), 17);
    EXPECT_TRUE(storage.getBool("two", false));
    EXPECT_FALSE(storage.getBool("zero", true));
    EXPECT_FALSE(storage.getBool("neg", true));
    EXPECT_TRUE(storage.getBool("absent", true));
    storage.setBool("flag", true);
    EXPECT_EQ(storage.getString("flag", ""), "1");
}

TEST(StorageValues, AReplacedObjectIsReported)
{
    Storage storage;
    storage.getObject("child", true);
    testing::internal::CaptureStdout();
    auto replacement = std::make_unique<Storage>();
    replacement->setString("new", "1");
    storage.setObject("child", std::move(replacement));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: Overwriting storage object\n");
    EXPECT_EQ(storage.getObject("child", false)->getString("new", ""), "1");
}
