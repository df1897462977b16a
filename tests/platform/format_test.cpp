#include <gtest/gtest.h>

#include "platform/vcl/classes.h"
#include "platform/vcl/sysutils.h"

namespace {

struct FormatCase {
    const char* pattern;
    std::initializer_list<vcl::FormatArg> args;
    const char* expected;
};

TEST(FormatTest, RendersTextsAndPaddedNumbers) {
    const FormatCase cases[] = {
        {"%s%0.3d.png", {"screen", std::int64_t{1}}, "screen001.png"},
        {"%s%0.3d.png", {"shot", std::int64_t{1000}}, "shot1000.png"},
        {"%s%0.3d.png", {"", std::int64_t{-7}}, "-007.png"},
        {"%s%0.3d.png", {"x", std::int64_t{2147483647}}, "x2147483647.png"},
        {"Cannot create file \"%s\". %s", {"C:\\a.png", "Access is denied"}, "Cannot create file \"C:\\a.png\". Access is denied"},
        {"100%% %5d|", {std::int64_t{42}}, "100%    42|"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(vcl::Format(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(FormatTest, RefusesMissingOrMismatchedArguments) {
    EXPECT_THROW(vcl::Format("%s and %s", {"one"}), vcl::EConvertError);
    EXPECT_THROW(vcl::Format("%d", {"text"}), vcl::EConvertError);
    EXPECT_THROW(vcl::Format("%", {}), vcl::EConvertError);
}

class Named : public vcl::TPersistent {
public:
    explicit Named(const char* name) : FName(name) {}
    const char* ClassName() const override { return FName; }

private:
    const char* FName;
};

TEST(PersistentTest, AssigningAnUnrelatedObjectRaisesTheConversionError) {
    Named target("TTarget"), source("TSource");
    try {
        target.Assign(&source);
        FAIL() << "no error";
    } catch (const vcl::EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TSource to a TTarget");
    }
    EXPECT_THROW(target.Assign(nullptr), vcl::EConvertError);
}

}  // namespace
