// Decoding in a child process: a picture or a reason comes back as the decoder gave it; a
// decoder that aborts, faults or leaves without an answer becomes a refusal, also when
// several workers decode at once.
#include "photo_internal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace
{

// The fake decoders read their picture's size from the input: width, height.
int Picture(const unsigned char *data, size_t, PhotoImage *image, PhotoInfo *info, std::string *)
{
    PhotoImageAllocate(image, data[0] * 100 + 1, data[1] * 100 + 1);
    for (size_t i = 0; i < image->rgb.size(); i++)
        image->rgb[i] = (unsigned char)(i * 7 + i / 977);
    info->sourceWidth = 4000;
    info->sourceHeight = 3000;
    info->orientation = 6;
    return 1;
}

int Refusal(const unsigned char *, size_t, PhotoImage *, PhotoInfo *, std::string *error)
{
    *error = "cannot decode TEST: its header is cut short";
    return 0;
}

int Assertion(const unsigned char *, size_t, PhotoImage *, PhotoInfo *, std::string *)
{
    fprintf(stderr,
            "warming up\n%s: ./lib/decode.cc:77: int Decode(int): Assertion `tile' failed.\n",
            program_invocation_short_name);
    abort();
}

int Exit(const unsigned char *, size_t, PhotoImage *, PhotoInfo *, std::string *)
{
    _exit(3);
}

int Kill(const unsigned char *, size_t, PhotoImage *, PhotoInfo *, std::string *)
{
    kill(getpid(), SIGKILL);
    return 1;
}

int WrongSize(const unsigned char *, size_t, PhotoImage *image, PhotoInfo *, std::string *)
{
    image->width = 5;
    image->height = 5;
    image->rgb.assign(3, 0);
    return 1;
}

int NoReason(const unsigned char *, size_t, PhotoImage *, PhotoInfo *, std::string *)
{
    return 0;
}

struct ChildCase {
    const char *name;
    PhotoDecoder decode;
    const char *error; // null: the picture comes back
};

const ChildCase CASES[] = {
    {"picture", Picture, nullptr},
    {"refusal", Refusal, "cannot decode TEST: its header is cut short"},
    {"assertion", Assertion,
     "the TEST decoder failed on it (SIGABRT: ./lib/decode.cc:77: Assertion `tile' failed.)"},
    {"exit", Exit, "the TEST decoder failed on it (exit status 3)"},
    {"killed", Kill, "the TEST decoder failed on it (SIGKILL)"},
    {"wrong-size", WrongSize, "cannot decode TEST: decoder gave no usable picture"},
    {"no-reason", NoReason, "cannot decode TEST: decoder gave no reason"},
};

// Decodes through a child and checks the outcome against the case and, for a picture,
// against the same decoder run in process.
void CheckCase(const ChildCase &row, const unsigned char size[2])
{
    PhotoImage image = {};
    PhotoInfo info = {};
    info.orientation = 1;
    std::string error;
    int ok = PhotoDecodeInChild(row.decode, "TEST", size, 2, &image, &info, &error);
    if (row.error) {
        EXPECT_EQ(0, ok);
        EXPECT_EQ(row.error, error);
        EXPECT_EQ(0, image.width);
        EXPECT_TRUE(image.rgb.empty());
        return;
    }
    PhotoImage expected = {};
    PhotoInfo expectedInfo = {};
    ASSERT_EQ(1, Picture(size, 2, &expected, &expectedInfo, &error));
    ASSERT_EQ(1, ok) << error;
    EXPECT_EQ(expected.width, image.width);
    EXPECT_EQ(expected.height, image.height);
    EXPECT_TRUE(expected.rgb == image.rgb);
    EXPECT_EQ(4000, info.sourceWidth);
    EXPECT_EQ(3000, info.sourceHeight);
    EXPECT_EQ(6, info.orientation);
}

TEST(PhotoChild, EachOutcome)
{
    // 2001 x 1501 pixels: far more than a pipe holds at once.
    const unsigned char size[2] = {20, 15};
    for (const ChildCase &row : CASES) {
        SCOPED_TRACE(row.name);
        CheckCase(row, size);
    }
}

TEST(PhotoChild, WorkersAtOnce)
{
    // Four workers fork while the others read their children's answers: every outcome stays
    // with its own worker and nothing waits on another worker's pipe.
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; w++) {
        workers.emplace_back([w]() {
            for (int i = 0; i < 12; i++) {
                const ChildCase &row = CASES[(size_t)(w + i) % (sizeof CASES / sizeof CASES[0])];
                const unsigned char size[2] = {(unsigned char)(w + 1), (unsigned char)i};
                SCOPED_TRACE(std::string(row.name) + " in worker " + std::to_string(w));
                CheckCase(row, size);
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
}

} // namespace
