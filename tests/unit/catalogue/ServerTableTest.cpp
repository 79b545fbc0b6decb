#include "catalogue/ServerTable.h"

#include <gtest/gtest.h>

using pordane::catalogue::PersonalFields;
using pordane::catalogue::ServerTable;

namespace {

ServerTable freshTable()
{
    ServerTable t;
    t.setNumServidores(3);
    t.SetServidores({"Personal", "", "", "", ""});
    return t;
}

} // namespace

TEST(ServerTable, StartsWithTheThreeBuiltinServers)
{
    ServerTable t = freshTable();
    EXPECT_EQ(t.names(), (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01"}));
    EXPECT_EQ(t.entry(1).User, "tes24test");
    EXPECT_EQ(t.entry(2).User, "tessistest");
    EXPECT_EQ(t.entry(3).User, "vexortest");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(t.entry(n).Pass, "lorak$Vib7");
        EXPECT_TRUE(t.entry(n).Remoto.empty());
        EXPECT_FALSE(t.entry(n).IsEnlace);
        EXPECT_EQ(t.entry(n).Select, n == 1);
    }
}

TEST(ServerTable, IncompletePersonalFieldsAddNothing)
{
    ServerTable t = freshTable();
    EXPECT_TRUE(t.SetServidores({"Personal", "ftp.example", "", "user", ""}));
    EXPECT_TRUE(t.SetServidores({"Personal", "", "", "user", "pw"}));
    EXPECT_EQ(t.NumServidores(), 3);
}

TEST(ServerTable, PersonalEntryIsTakenAsTypedAndAppendedEachTime)
{
    ServerTable t = freshTable();
    PersonalFields p{"", " host ", "dir", " ", "pw"};
    ASSERT_TRUE(t.SetServidores(p));
    ASSERT_TRUE(t.SetServidores(p));
    ASSERT_EQ(t.NumServidores(), 5);
    EXPECT_EQ(t.entry(4).Name, "");
    EXPECT_EQ(t.entry(5).Host, " host ");
    EXPECT_EQ(t.entry(5).User, " ");
    EXPECT_TRUE(t.entry(5).IsEnlace);
    EXPECT_FALSE(t.entry(5).Select);
}

TEST(ServerTable, RefusesTheTwentyFirstEntry)
{
    ServerTable t = freshTable();
    PersonalFields p{"P", "h", "", "u", "p"};
    for (int i = 0; i < 17; ++i)
        ASSERT_TRUE(t.SetServidores(p));
    EXPECT_EQ(t.NumServidores(), 20);
    EXPECT_FALSE(t.SetServidores(p));
    EXPECT_EQ(t.NumServidores(), 20);
    EXPECT_EQ(t.names().size(), 20u);
    EXPECT_THROW(t.entry(21), std::out_of_range);
    EXPECT_THROW(t.entry(0), std::out_of_range);
}
