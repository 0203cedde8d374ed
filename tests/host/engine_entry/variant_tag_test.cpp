// Telling the engine variants apart from an image's bytes: the tag found anywhere in the image,
// damaged or disagreeing tags refused, and the tag the build really compiles in.
#include <gtest/gtest.h>

#include <string>

#include "variant_tag.h"

namespace
{

// An image of filler bytes with the given text (NULs included) placed at offset 1000.
std::string ImageWith(const std::string &text)
{
    std::string image(4096, '\xcc');
    image.replace(1000, text.size(), text);
    return image;
}

std::string Tag(const char *pair)
{
    return std::string(VARIANT_TAG_PREFIX) + pair + '\0';
}

struct TagCase {
    const char *name;
    std::string image;
    int found;
    int32_t maximum;
    int32_t step;
};

TEST(VariantTag, FindsThePairOrRefuses)
{
    const TagCase cases[] = {
        {"carried", ImageWith(Tag("15000/700")), 1, 15000, 700},
        {"stand-alone", ImageWith(Tag("30000/1450")), 1, 30000, 1450},
        {"same-tag-twice", ImageWith(Tag("15000/700") + "xx" + Tag("15000/700")), 1, 15000, 700},
        {"tags-disagree", ImageWith(Tag("15000/700") + Tag("30000/1450")), 0, 0, 0},
        {"no-tag", ImageWith("glimmer"), 0, 0, 0},
        {"no-terminating-nul", ImageWith(std::string(VARIANT_TAG_PREFIX) + "15000/700x"), 0, 0, 0},
        {"no-step", ImageWith(Tag("15000/")), 0, 0, 0},
        {"too-many-digits", ImageWith(Tag("1234567890/700")), 0, 0, 0},
        {"cut-at-the-end", std::string(VARIANT_TAG_PREFIX) + "15000/70", 0, 0, 0},
        {"empty-image", std::string(), 0, 0, 0},
    };
    for (const TagCase &row : cases) {
        SCOPED_TRACE(row.name);
        EngineVariant variant = {-1, -1};
        ASSERT_EQ(row.found, VariantTagFind((const unsigned char *)row.image.data(),
                                            row.image.size(), &variant));
        if (row.found) {
            EXPECT_EQ(row.maximum, variant.sustainMaximum);
            EXPECT_EQ(row.step, variant.sustainStep);
        } else {
            EXPECT_EQ(-1, variant.sustainMaximum);
        }
    }
}

TEST(VariantTag, NamesTheTwoVariantsOnly)
{
    EngineVariant other = {20000, 950};
    EXPECT_STREQ("carried", VariantName(&VARIANT_CARRIED));
    EXPECT_STREQ("stand-alone", VariantName(&VARIANT_STANDALONE));
    EXPECT_EQ(nullptr, VariantName(&other));
}

} // namespace
