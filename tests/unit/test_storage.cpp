#include "TestSupport.h"
#include "core/Storage.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string path(const std::string& name)
{
    return testUserRoot() + "/" + name;
}

std::string u32(uint32_t value)
{
    return std::string{char(value & 255), char(value >> 8 & 255), char(value >> 16 & 255), char(value >> 24 & 255)};
}

std::string str(const std::string& text)
{
    return u32(uint32_t(text.size())) + text;
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

    std::string expected = "\x01" + str("a") + str("1") + "\x01" + str("b") + str("2")
        + "\x03" + u32(2) + "\x01" + str("n") + str("first") + "c" + "c"
        + "\x02" + str("obj") + "\x01" + str("x") + str("-7") + "c" + "c";
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

TEST(StorageFormat, EmptyListWritesNoListField)
{
    Storage storage;
    storage.setString("k", "v");
    ASSERT_TRUE(storage.save(path("nolist.storage")));
    EXPECT_EQ(readFileBytes(path("nolist.storage")).find('\x03'), std::string::npos);
}

TEST(StorageFormat, ReaderAcceptsAnyFieldOrderAndSeveralLists)
{
    std::string bytes = "\x03" + u32(1) + "c" + "\x01" + str("k") + str("v") + "\x03" + u32(1) + "\x01" + str("m") + str("2") + "c" + "c" + "trailing junk";
    writeFileBytes(path("any.storage"), bytes);
    Storage storage;
    ASSERT_TRUE(storage.load(path("any.storage"), true));
    EXPECT_EQ(storage.getString("k", ""), "v");
    ASSERT_EQ(storage.list.size(), 2u);
    EXPECT_EQ(storage.list[1]->getInt("m", 0), 2);
}

TEST(StorageFormat, StringLengthLimit)
{
    std::string longest(4095, 'x');
    writeFileBytes(path("4095.storage"), "\x01" + str("k") + str(longest) + "c");
    Storage ok;
    EXPECT_TRUE(ok.load(path("4095.storage"), true));
    EXPECT_EQ(ok.getString("k", ""), longest);

    writeFileBytes(path("4096.storage"), "\x01" + str("k") + str(std::string(4096, 'x')) + "c");
    Storage tooLong;
    EXPECT_FALSE(tooLong.load(path("4096.storage"), true));
    EXPECT_GT(logLinesContaining("ERROR: FOUND STRING LONGER THAN 4095 bytes"), 0);
}

TEST(StorageFailures, EmptyTruncatedUnknownAndMissingFiles)
{
    writeFileBytes(path("empty.storage"), "");
    Storage empty;
    EXPECT_FALSE(empty.load(path("empty.storage"), true));
    EXPECT_GT(logLinesContaining("ERROR: Loading storage failed: " + path("empty.storage")), 0);

    // Everything read before the missing end marker stays.
    writeFileBytes(path("noend.storage"), "\x01" + str("kept") + str("yes"));
    Storage noEnd;
    EXPECT_FALSE(noEnd.load(path("noend.storage"), true));
    EXPECT_EQ(noEnd.getString("kept", ""), "yes");
    EXPECT_GT(logLinesContaining("ERROR: Reached end of file without 99 marker!"), 0);

    writeFileBytes(path("cut.storage"), "\x01" + str("key") + u32(10) + "abc");
    Storage cut;
    EXPECT_FALSE(cut.load(path("cut.storage"), true));
    EXPECT_FALSE(cut.has("key"));

    writeFileBytes(path("type4.storage"), "\x04");
    Storage unknown;
    EXPECT_FALSE(unknown.load(path("type4.storage"), true));
    EXPECT_GT(logLinesContaining("ERROR: Unknown field type 4"), 0);

    Storage missing;
    EXPECT_FALSE(missing.load(path("nothing-here.storage"), true));
    EXPECT_GT(logLinesContaining("ERROR: Loading storage " + path("nothing-here.storage") + ". Error: "), 0);
}

TEST(StorageFailures, HugeListCountIsNotBelievedUpFront)
{
    writeFileBytes(path("huge.storage"), "\x03" + u32(4000000000u) + "c" + "c");
    Storage storage;
    EXPECT_FALSE(storage.load(path("huge.storage"), true));
    EXPECT_EQ(storage.list.size(), 2u);
}

TEST(StorageFailures, SaveIntoMissingFolderFails)
{
    Storage storage;
    storage.setString("a", "1");
    EXPECT_FALSE(storage.save(path("no/such/folder/x.storage")));
    EXPECT_GT(logLinesContaining("ERROR: Saving failed. File: "), 0);
}

TEST(StorageValues, IntegersAndFlags)
{
    Storage storage;
    storage.setInt("neg", -1);
    storage.setString("empty", "");
    storage.setString("two", "2");
    storage.setString("zero", "0");
    storage.setString("junk", "12abc");
    storage.setString("space", " 5");
    storage.setString("huge", "99999999999");
    EXPECT_EQ(storage.getString("neg", ""), "-1");
    EXPECT_EQ(storage.getInt("neg", 0), -1);
    EXPECT_EQ(storage.getInt("empty", 17), 17);
    EXPECT_EQ(storage.getInt("absent", 17), 17);
    EXPECT_EQ(storage.getInt("junk", 17), 17);
    EXPECT_EQ(storage.getInt("space", 17), 17);
    EXPECT_EQ(storage.getInt("huge", 17), 17);
    EXPECT_TRUE(storage.getBool("two", false));
    EXPECT_FALSE(storage.getBool("zero", true));
    EXPECT_FALSE(storage.getBool("neg", true));
    EXPECT_TRUE(storage.getBool("absent", true));
    storage.setBool("flag", true);
    EXPECT_EQ(storage.getString("flag", ""), "1");
}

TEST(StorageValues, ObjectsAreCreatedOnRequestAndReplaced)
{
    Storage storage;
    EXPECT_EQ(storage.getObject("child", false), nullptr);
    Storage* child = storage.getObject("child", true);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(storage.getObject("child", false), child);

    testing::internal::CaptureStdout();
    auto replacement = std::make_unique<Storage>();
    replacement->setString("new", "1");
    storage.setObject("child", std::move(replacement));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "WARNING: Overwriting storage object\n");
    EXPECT_EQ(storage.getObject("child", false)->getString("new", ""), "1");
}
