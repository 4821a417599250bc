// The zip writer read back by other people's readers: Python's zipfile (names,
// sizes, CRCs of the inflated data, DOS and extended times, the UTF-8 flag),
// Info-ZIP's unzip -t and 7-Zip's 7z t. Archives around the Zip64 limits go
// through a sink that leaves runs of zeros as holes, so that a zip of more
// than 4 GiB costs little disk; those are long and run with KMX_LONG_TESTS=1.
// Entries of many blocks are deflated by several threads and may be redacted
// on the way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/Redaction.h"
#include "formats/ZipWriter.h"

namespace kmx {
namespace {

// Writes into a file; whole 4 KiB pages of zeros are skipped (holes).
class SparseFileSink : public ZipSink {
public:
    explicit SparseFileSink(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644)) {}
    ~SparseFileSink() override {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const std::size_t part = std::min<std::size_t>(size, kPage - m_offset % kPage);
            const bool hole =
                part == kPage && std::all_of(bytes, bytes + part, [](char c) { return c == 0; });
            if (!hole &&
                ::pwrite(m_fd, bytes, part, static_cast<off_t>(m_offset)) != static_cast<ssize_t>(part))
                return false;
            bytes += part, size -= part, m_offset += part;
        }
        return ::ftruncate(m_fd, static_cast<off_t>(m_offset)) == 0;
    }
    bool Truncate(std::uint64_t offset) override {
        m_offset = offset;
        return ::ftruncate(m_fd, static_cast<off_t>(offset)) == 0;
    }

private:
    static constexpr std::size_t kPage = 4096;
    int m_fd;
    std::uint64_t m_offset = 0;
};

// What an entry holds: zeros, text-like bytes, bytes deflate cannot shrink,
// or varied log lines that name people and machines.
enum class Fill { Zeros, Text, Noise, Log };

struct EntrySpec {
    std::string name;
    std::uint64_t size;
    Fill fill;
    ZipTime time;
    bool abandon = false;  // written part-way, then dropped
    ZipTransform transform = {};
};

struct Expected {
    std::string line;  // as the Python reader prints it
};

ZipTime At(int y, int mo, int d, int h, int mi, int s, std::int64_t unix) {
    return {y, mo, d, h, mi, s, unix};
}

std::string LogText(std::size_t size) {
    std::mt19937 random(5);
    std::string text;
    char line[200];
    while (text.size() < size) {
        const unsigned ms = static_cast<unsigned>(text.size() / 7);
        std::snprintf(
            line, sizeof line,
            "2026-12-09 %02u:%02u:%02u.%03u %5u [Sync] item %08x for user%u@contoso.com from 10.0.%u.%u\n",
            ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms % 1000, random() % 9000 + 1000,
            static_cast<unsigned>(random()), random() % 50, random() % 256, random() % 256);
        text += line;
    }
    text.resize(size);
    return text;
}

// Feeds `size` bytes of `fill` in pieces; returns the CRC of what it fed.
std::uint32_t Feed(ZipWriter& writer, std::uint64_t size, Fill fill, bool* ok) {
    if (fill == Fill::Log) {
        const std::string text = LogText(static_cast<std::size_t>(size));
        for (std::size_t done = 0; done < text.size() && *ok; done += 100003)
            *ok = writer.Write(text.data() + done, std::min<std::size_t>(100003, text.size() - done));
        return static_cast<std::uint32_t>(
            crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(text.data()), text.size()));
    }
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(size, 1 << 20)));
    std::uint32_t noise = 12345;
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    for (std::uint64_t done = 0; done < size && *ok;) {
        const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - done));
        for (std::size_t i = 0; i < part && fill != Fill::Zeros; ++i) {
            noise = noise * 1103515245u + 12345u;
            const std::uint64_t at = done + i;
            chunk[i] = fill == Fill::Text ? static_cast<std::uint8_t>("kmx log line 0123456789\n"[at % 24] +
                                                                      (at / 24 % 7 == 0 ? 1 : 0))
                                          : static_cast<std::uint8_t>(noise >> 24);
        }
        crc = static_cast<std::uint32_t>(crc32_z(crc, chunk.data(), part));
        *ok = writer.Write(chunk.data(), part);
        done += part;
    }
    return crc;
}

std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
    const int status = ::pclose(pipe);
    return status == 0 ? output : output + "[exit " + std::to_string(status) + "]";
}

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0;
}

// Lists every entry: name, size, CRC of the inflated data (zipfile checks it
// against the header's too), DOS time, extended mtime, UTF-8 flag.
const char kLister[] = R"(
import sys, zipfile, zlib, struct
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        crc = 0
        with z.open(i) as f:
            while True:
                b = f.read(1 << 22)
                if not b: break
                crc = zlib.crc32(b, crc)
        mtime, e = None, i.extra
        while len(e) >= 4:
            tag, n = struct.unpack('<HH', e[:4])
            if tag == 0x5455: mtime = struct.unpack('<i', e[5:9])[0]
            e = e[4 + n:]
        print('%s %d %08x %04d-%02d-%02d %02d:%02d:%02d %s %d' % ((i.filename, i.file_size, crc) + i.date_time + (mtime, i.flag_bits >> 11 & 1)))
)";

class ZipWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kmx-zip-XXXXXX";
        m_dir = ::mkdtemp(pattern);
        std::ofstream(m_dir + "/list.py") << kLister;
    }
    void TearDown() override { std::system(("rm -rf " + m_dir).c_str()); }

    // Writes the entries at `level`, then checks them with all three readers.
    void RoundTrip(const std::vector<EntrySpec>& entries, int level) {
        const std::string zip = m_dir + "/t.zip";
        std::string expected;
        {
            SparseFileSink sink(zip);
            ZipWriter writer(sink, level, m_threads);
            for (const EntrySpec& entry : entries) {
                ASSERT_TRUE(writer.BeginEntry(entry.name, entry.time, entry.size, entry.transform))
                    << entry.name;
                bool ok = true;
                std::uint32_t crc = Feed(writer, entry.size, entry.fill, &ok);
                std::uint64_t size = entry.size;
                if (entry.transform.apply) {
                    // What the threads made of it, block by block, is what one
                    // call makes of it whole.
                    std::string changed;
                    entry.transform.apply(LogText(static_cast<std::size_t>(entry.size)), changed);
                    crc = static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0),
                                                             reinterpret_cast<const Bytef*>(changed.data()),
                                                             changed.size()));
                    size = changed.size();
                }
                ASSERT_TRUE(ok) << entry.name;
                if (entry.abandon) {
                    ASSERT_TRUE(writer.AbandonEntry());
                    continue;
                }
                ASSERT_TRUE(writer.EndEntry()) << entry.name;
                char line[512];
                std::snprintf(line, sizeof line, "%s %llu %08x %04d-%02d-%02d %02d:%02d:%02d %lld 1\n",
                              entry.name.c_str(), static_cast<unsigned long long>(size), crc, entry.time.year,
                              entry.time.month, entry.time.day, entry.time.hour, entry.time.minute,
                              entry.time.second / 2 * 2, static_cast<long long>(entry.time.unixSeconds));
                expected += line;
            }
            ASSERT_TRUE(writer.Finish());
        }
        if (!Have("python3") || !Have("unzip") || !Have("7z")) GTEST_SKIP() << "python3, unzip or 7z missing";
        EXPECT_EQ(Shell("python3 " + m_dir + "/list.py " + zip + " 2>&1"), expected);
        EXPECT_EQ(Shell("unzip -tqq " + zip + " >/dev/null 2>&1 && echo ok"), "ok\n");
        EXPECT_EQ(Shell("7z t " + zip + " >/dev/null 2>&1 && echo ok"), "ok\n");
    }

    std::string m_dir;
    unsigned m_threads = 0;
};

const ZipTime kNow = At(2026, 12, 8, 18, 15, 31, 1796753731);

TEST_F(ZipWriterTest, NamesTimesAndContentReadBack) {
    RoundTrip({{"settings.reg", 0, Fill::Text, kNow},
               {"logs/kmx-20071015T095453.302-OUTLOOK.EXE-2832.log", 300000, Fill::Text, kNow},
               {"logs/kmx-\xc3\x9cml\xc3\xa4ut-\xe6\x97\xa5\xe6\x9c\xac.log", 1, Fill::Text, kNow},
               {"logs/noise.log", 3 << 20, Fill::Noise, At(1980, 1, 1, 0, 0, 0, 315532800)},
               {"logs/dropped.log", 5 << 20, Fill::Noise, kNow, true},
               {"logs/late.log", 70000, Fill::Text, At(2107, 12, 31, 23, 59, 58, INT32_MAX)},
               {"about.txt", 10, Fill::Text, At(2038, 1, 19, 3, 14, 6, 2147483646)}},
              6);
}

TEST_F(ZipWriterTest, EntryCountsAroundTheSixteenBitLimit) {
    for (std::size_t count : {65534u, 65536u}) {
        std::vector<EntrySpec> entries;
        for (std::size_t i = 0; i < count; ++i)
            entries.push_back({"f" + std::to_string(i), i % 3, Fill::Text, kNow});
        RoundTrip(entries, 1);
    }
}

// Blocks deflated apart cost a few bytes each against one stream.
TEST_F(ZipWriterTest, ManyBlocksOnSeveralThreadsMakeOneStream) {
    const std::size_t size = (9 << 20) + 12345;
    const std::string text = LogText(size);
    std::string whole(compressBound(static_cast<uLong>(size)), '\0');
    z_stream stream{};
    ASSERT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = reinterpret_cast<Bytef*>(&whole[0]);
    stream.avail_out = static_cast<uInt>(whole.size());
    ASSERT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    const double oneStream = static_cast<double>(stream.total_out);
    deflateEnd(&stream);

    RedactionNames names;
    names.users = {"user7"};
    Redactor redactor(names);
    for (unsigned threads : {1u, 3u}) {
        m_threads = threads;
        RoundTrip({{"logs/big.log", size, Fill::Log, kNow}}, 6);
        std::ifstream zip(m_dir + "/t.zip", std::ios::binary | std::ios::ate);
        EXPECT_LT(static_cast<double>(zip.tellg()), oneStream * 1.005 + 200) << threads;
        RoundTrip({{"logs/redacted.log", 3 << 20, Fill::Log, kNow, false, RedactionTransform(redactor)},
                   {"logs/dropped.log", 2 << 20, Fill::Log, kNow, true, RedactionTransform(redactor)},
                   {"logs/empty.log", 0, Fill::Log, kNow, false, RedactionTransform(redactor)},
                   {"about.txt", 10, Fill::Text, kNow}},
                  6);
    }
}

// Entries just under, at and over 4 GiB, and offsets past 4 GiB after them.
TEST_F(ZipWriterTest, SizesAndOffsetsAroundFourGiB) {
    if (std::getenv("KMX_LONG_TESTS") == nullptr) GTEST_SKIP() << "set KMX_LONG_TESTS=1 to run";
    const std::uint64_t limit = 0xFFFFFFFFull;
    RoundTrip({{"below", limit - 1, Fill::Zeros, kNow},
               {"at", limit, Fill::Zeros, kNow},
               {"above", limit + 4096, Fill::Zeros, kNow},
               {"after", 1000, Fill::Text, kNow}},
              0);
}

}  // namespace
}  // namespace kmx
