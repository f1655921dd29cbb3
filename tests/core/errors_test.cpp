#include "core/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace wallcine {
namespace {

TEST(Errors, MessagesCarryTheArgument) {
    EXPECT_STREQ(EListError(0).what(), "List index out of bounds (0)");
    EXPECT_STREQ(EListError(-1).what(), "List index out of bounds (-1)");
    EXPECT_EQ(EListError(7).index(), 7);
    EXPECT_STREQ(EFOpenError("C:\\films\\a.wcl").what(), "Cannot open file C:\\films\\a.wcl");
    EXPECT_STREQ(EFCreateError("x:\\100%s.wcl").what(), "Cannot create file x:\\100%s.wcl");
    EXPECT_STREQ(EWriteError("out.wcl").what(), "Cannot write file out.wcl");
}

TEST(Errors, AllDeriveFromTheCoreException) {
    EXPECT_THROW(throw EListError(1), Exception);
    EXPECT_THROW(throw EFOpenError("a"), Exception);
    EXPECT_THROW(throw EFCreateError("a"), Exception);
    EXPECT_THROW(throw EWriteError("a"), Exception);
    EXPECT_THROW(throw Exception("x"), std::runtime_error);
}

TEST(Errors, FormatHandlesLongAndEmptyOutput) {
    const std::string longArg(5000, 'p');
    EXPECT_EQ(Format("<%s>", longArg.c_str()), "<" + longArg + ">");
    EXPECT_EQ(Format("%d-%d", -3, 42), "-3-42");
    EXPECT_EQ(Format("%s", ""), "");
}

}  // namespace
}  // namespace wallcine
