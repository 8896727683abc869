// The payload packer's bound: its rule (tools/payload_stream.cpp) with streams made here, and
// the real pack_payload program run on files, with a stand-in for zopfli that prints a chosen
// stream. A stream fits when the program is at most factor x the stream's length: the tests
// build programs that sit exactly on that bound and one byte past it.
//   pack_payload_tests <pack_payload>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/payload_stream.h"

namespace {

const char* gPacker = nullptr;

Bytes SomeBytes(size_t length, unsigned seed) {
  Bytes bytes(length);
  for (unsigned char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(seed >> 16);
  }
  return bytes;
}

// Words of a small alphabet: compresses about four to one.
Bytes WordText(unsigned seed) {
  std::vector<std::string> words;
  for (int w = 0; w < 50; ++w) {
    seed = seed * 1103515245u + 12345u;
    std::string word(2 + (seed >> 16) % 7, 'a');
    for (char& c : word) {
      seed = seed * 1103515245u + 12345u;
      c = static_cast<char>('a' + (seed >> 16) % 10);
    }
    words.push_back(word);
  }
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += words[(seed >> 16) % words.size()] + " ";
  }
  return Bytes(text.begin(), text.end());
}

Bytes Level9(const Bytes& program) {
  Bytes stream;
  EXPECT_EQ(Z_OK, DeflateLevel9(program, &stream));
  return stream;
}

Bytes Deflate(const Bytes& program, int level, int memLevel, int strategy) {
  z_stream z = {};
  EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, 15, memLevel, strategy));
  Bytes stream(deflateBound(&z, program.size()));
  z.next_in = const_cast<Bytef*>(program.data());
  z.avail_in = static_cast<uInt>(program.size());
  z.next_out = stream.data();
  z.avail_out = static_cast<uInt>(stream.size());
  EXPECT_EQ(Z_STREAM_END, deflate(&z, Z_FINISH));
  stream.resize(z.total_out);
  deflateEnd(&z);
  return stream;
}

// Another valid stream of program, smaller than level 9's (smaller blocks and Z_FILTERED suit
// word text), or an empty one when no such setting is found.
Bytes SmallerThanLevel9(const Bytes& program) {
  Bytes best = Level9(program);
  const size_t level9 = best.size();
  for (int level = 6; level <= 9; ++level) {
    for (int memLevel : {1, 5, 9}) {
      Bytes stream = Deflate(program, level, memLevel, Z_FILTERED);
      if (stream.size() < best.size()) best = stream;
    }
  }
  return best.size() < level9 ? best : Bytes();
}

// A program exactly on the bound: its level-9 stream times factor is its length, and one more
// (zero) byte leaves that stream's length as it is, so that the longer program is one byte over.
struct Boundary {
  Bytes program;
  Bytes stream;
  Bytes longer;        // program and one zero byte
  Bytes longerStream;  // its level-9 stream, as long as stream
};

Boundary FindBoundary(unsigned long factor) {
  Boundary found;
  // Starts incompressible (its stream longer than a factor-th of it); zeros then add almost
  // nothing to the stream, so length minus factor x stream rises by one a byte and meets 0.
  Bytes program = SomeBytes(300, static_cast<unsigned>(factor));
  for (int added = 0; added < 20000; ++added, program.push_back(0)) {
    const Bytes stream = Level9(program);
    if (program.size() != factor * stream.size()) continue;
    Bytes longer = program;
    longer.push_back(0);
    const Bytes longerStream = Level9(longer);
    if (longerStream.size() != stream.size()) continue;
    return {program, stream, longer, longerStream};
  }
  ADD_FAILURE() << "no program on the bound for factor " << factor;
  return found;
}

TEST(FitsCapacity, TheExactMultipleFitsAndOneMoreByteDoesNot) {
  EXPECT_TRUE(FitsCapacity(300, 100, 3));
  EXPECT_FALSE(FitsCapacity(301, 100, 3));
  EXPECT_TRUE(FitsCapacity(400, 100, 4));
  EXPECT_FALSE(FitsCapacity(401, 100, 4));
  EXPECT_TRUE(FitsCapacity(299, 100, 3));
  EXPECT_TRUE(FitsCapacity(0, 0, 3));
  EXPECT_FALSE(FitsCapacity(1, 0, 3));
}

TEST(FitsCapacity, AProductTooLargeToRepresentDoesNotWrap) {
  EXPECT_TRUE(FitsCapacity(SIZE_MAX, SIZE_MAX / 2 + 1, 4));  // x 4 wraps to 0 unchecked
  EXPECT_FALSE(FitsCapacity(SIZE_MAX, SIZE_MAX / 4, 4));     // 4 short of it: does not fit
}

class ProveStreamTest : public ::testing::TestWithParam<unsigned long> {};

TEST_P(ProveStreamTest, AProgramExactlyOnTheBoundFits) {
  const Boundary b = FindBoundary(GetParam());
  ASSERT_EQ(b.program.size(), GetParam() * b.stream.size());
  EXPECT_EQ(StreamProof::kFits, ProveStream(b.program, b.stream, GetParam()));
}

TEST_P(ProveStreamTest, OneByteOverTheBoundIsTooLarge) {
  const Boundary b = FindBoundary(GetParam());
  ASSERT_EQ(b.longer.size(), GetParam() * b.longerStream.size() + 1);
  EXPECT_EQ(StreamProof::kTooLarge, ProveStream(b.longer, b.longerStream, GetParam()));
  // The same stream would fit a larger block: the bound alone refuses it.
  EXPECT_EQ(StreamProof::kFits, ProveStream(b.longer, b.longerStream, GetParam() + 1));
}

INSTANTIATE_TEST_SUITE_P(ApplicationAndUninstaller, ProveStreamTest, ::testing::Values(3ul, 4ul));

TEST(ProveStream, AWrongCheckValueIsWrong) {
  const Bytes program = WordText(1);
  Bytes stream = Level9(program);
  stream.back() ^= 1;
  EXPECT_EQ(StreamProof::kWrong, ProveStream(program, stream, 5));
}

TEST(ProveStream, ATruncatedStreamIsWrong) {
  const Bytes program = WordText(1);
  Bytes stream = Level9(program);
  stream.resize(stream.size() - 1);
  EXPECT_EQ(StreamProof::kWrong, ProveStream(program, stream, 5));
}

TEST(ProveStream, BytesAfterTheStreamAreWrong) {
  const Bytes program = WordText(1);
  Bytes stream = Level9(program);
  stream.push_back(0);
  EXPECT_EQ(StreamProof::kWrong, ProveStream(program, stream, 5));
}

TEST(ProveStream, AStreamOfAnotherProgramIsWrong) {
  const Bytes program = WordText(1);
  Bytes other = program;
  other[other.size() / 2] ^= 0x20;
  EXPECT_EQ(StreamProof::kWrong, ProveStream(other, Level9(program), 5));
}

TEST(ChooseStream, ASmallerCandidateProvenToFitIsChosen) {
  const Boundary b = FindBoundary(3);
  const Bytes reference = Deflate(b.program, 1, 8, Z_DEFAULT_STRATEGY);
  ASSERT_GT(reference.size(), b.stream.size());
  std::string notes;
  EXPECT_EQ(&b.stream, ChooseStream("app", b.program, 3, reference, &b.stream, &notes));
  EXPECT_EQ("", notes);
}

TEST(ChooseStream, ACandidateNotSmallerThanLevel9IsNotUsed) {
  const Bytes program = WordText(2);
  const Bytes reference = Level9(program);
  const Bytes candidate = Deflate(program, 1, 8, Z_DEFAULT_STRATEGY);
  ASSERT_GE(candidate.size(), reference.size());
  std::string notes;
  EXPECT_EQ(&reference, ChooseStream("app", program, 5, reference, &candidate, &notes));
  EXPECT_NE(std::string::npos, notes.find("is not smaller than zlib level 9's")) << notes;
}

TEST(ChooseStream, ACandidateOneByteOverTheBoundFallsBackToTheReference) {
  const Boundary b = FindBoundary(3);
  const Bytes reference = Deflate(b.longer, 1, 8, Z_DEFAULT_STRATEGY);
  ASSERT_GT(reference.size(), b.longerStream.size());
  std::string notes;
  EXPECT_EQ(&reference, ChooseStream("app", b.longer, 3, reference, &b.longerStream, &notes));
  const std::string bound = "the program's " + std::to_string(b.longer.size()) +
                            " bytes do not fit in 3 x " + std::to_string(b.longerStream.size());
  EXPECT_NE(std::string::npos, notes.find("refused: " + bound)) << notes;
}

TEST(ChooseStream, ACorruptCandidateFallsBackToTheReference) {
  const Boundary b = FindBoundary(3);
  const Bytes reference = Deflate(b.program, 1, 8, Z_DEFAULT_STRATEGY);
  Bytes candidate = b.stream;
  candidate.back() ^= 1;
  std::string notes;
  EXPECT_EQ(&reference, ChooseStream("app", b.program, 3, reference, &candidate, &notes));
  EXPECT_NE(std::string::npos, notes.find("refused: it does not inflate to the program")) << notes;
}

TEST(ChooseStream, AReferenceOverTheBoundStopsTheBuild) {
  const Boundary b = FindBoundary(4);
  std::string notes;
  EXPECT_EQ(nullptr, ChooseStream("uninstaller", b.longer, 4, b.longerStream, nullptr, &notes));
  EXPECT_NE(std::string::npos, notes.find("uninstaller cannot be packed")) << notes;
}

// The real packer on files in a scratch folder of its own.
class PackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pack_payload_test.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

  // A zopfli stand-in: prints the given bytes (or fails with exit code 3 when failing).
  std::string FakeZopfli(const Bytes& output, bool failing = false) {
    Write(Path("zopfli-output"), output);
    const std::string script = Path("zopfli");
    std::ofstream(script) << "#!/bin/sh\n"
                          << (failing ? "exit 3\n" : "exec cat '" + Path("zopfli-output") + "'\n");
    chmod(script.c_str(), 0755);
    return script;
  }

  // Packs program with factor; returns the exit code and leaves stderr in errors_.
  int Pack(const Bytes& program, unsigned long factor, const std::string& zopfli = "") {
    Write(Path("program"), program);
    std::string command = std::string("'") + gPacker + "' ";
    if (!zopfli.empty()) command += "--zopfli '" + zopfli + "' ";
    command += "'" + Path("program") + "' '" + Path("stream.z") + "' " + std::to_string(factor) +
               " >/dev/null 2>'" + Path("errors") + "'";
    const int status = std::system(command.c_str());
    const Bytes errors = Read(Path("errors"));
    errors_.assign(errors.begin(), errors.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_;
  std::string errors_;
};

TEST_F(PackerTest, WritesLevel9sStreamForAProgramExactlyOnTheBound) {
  const Boundary b = FindBoundary(3);
  ASSERT_EQ(0, Pack(b.program, 3)) << errors_;
  EXPECT_EQ(b.stream, Read(Path("stream.z")));
  EXPECT_EQ(StreamProof::kFits, ProveStream(b.program, Read(Path("stream.z")), 3));
}

TEST_F(PackerTest, StopsOneByteOverTheBoundAndRemovesAStaleStream) {
  const Boundary b = FindBoundary(4);
  Write(Path("stream.z"), b.longerStream);  // left by an earlier build
  EXPECT_EQ(1, Pack(b.longer, 4));
  EXPECT_NE(std::string::npos, errors_.find("cannot be packed")) << errors_;
  EXPECT_NE(std::string::npos,
            errors_.find(std::to_string(b.longer.size()) + " bytes do not fit in 4 x " +
                         std::to_string(b.longerStream.size())))
      << errors_;
  EXPECT_FALSE(Exists(Path("stream.z")));
}

TEST_F(PackerTest, WritesZopflisStreamWhenItIsSmallerAndFits) {
  const Bytes program = WordText(3);
  const Bytes smaller = SmallerThanLevel9(program);
  ASSERT_FALSE(smaller.empty());
  ASSERT_EQ(0, Pack(program, 5, FakeZopfli(smaller))) << errors_;
  EXPECT_EQ(smaller, Read(Path("stream.z")));
  EXPECT_EQ("", errors_);
}

TEST_F(PackerTest, FallsBackToLevel9WhenZopflisStreamWouldNotFit) {
  // Word text is near four to one: find one whose level-9 stream fits 4 x and a smaller
  // stream that does not, as zopfli's does for an application near its bound.
  for (unsigned seed = 0; seed < 40; ++seed) {
    const Bytes program = WordText(seed);
    const Bytes level9 = Level9(program);
    const Bytes smaller = SmallerThanLevel9(program);
    if (smaller.empty() || !FitsCapacity(program.size(), level9.size(), 4) ||
        FitsCapacity(program.size(), smaller.size(), 4)) {
      continue;
    }
    ASSERT_EQ(0, Pack(program, 4, FakeZopfli(smaller))) << errors_;
    EXPECT_EQ(level9, Read(Path("stream.z")));
    EXPECT_NE(std::string::npos,
              errors_.find("zopfli's stream of " + std::to_string(smaller.size()) +
                           " bytes refused: the program's"))
        << errors_;
    return;
  }
  FAIL() << "no word text between the two streams' bounds";
}

TEST_F(PackerTest, FallsBackToLevel9WhenZopflisOutputIsNoStreamOfTheProgram) {
  const Bytes program = WordText(4);
  Bytes cut = Level9(program);  // smaller than level 9's and within the bound, but cut short
  cut.pop_back();
  ASSERT_EQ(0, Pack(program, 5, FakeZopfli(cut))) << errors_;
  EXPECT_EQ(Level9(program), Read(Path("stream.z")));
  EXPECT_NE(std::string::npos, errors_.find("does not inflate to the program")) << errors_;
}

TEST_F(PackerTest, NeverWritesAStreamLargerThanLevel9s) {
  const Bytes program = WordText(5);
  ASSERT_EQ(0, Pack(program, 5, FakeZopfli(Deflate(program, 1, 8, Z_DEFAULT_STRATEGY)))) << errors_;
  EXPECT_EQ(Level9(program), Read(Path("stream.z")));
}

TEST_F(PackerTest, StopsWhenZopfliFails) {
  EXPECT_EQ(1, Pack(WordText(6), 5, FakeZopfli(Bytes(), true)));
  EXPECT_NE(std::string::npos, errors_.find("failed")) << errors_;
  EXPECT_FALSE(Exists(Path("stream.z")));
}

TEST_F(PackerTest, RealZopfliGivesAStreamNoLargerThanLevel9sThatFits) {
  if (!Exists("/usr/bin/zopfli"))
    GTEST_SKIP() << "zopfli is not installed (scripts/benchmark.sh installs it)";
  const Bytes program = WordText(7);
  ASSERT_EQ(0, Pack(program, 5, "/usr/bin/zopfli")) << errors_;
  const Bytes stream = Read(Path("stream.z"));
  EXPECT_LE(stream.size(), Level9(program).size());
  EXPECT_EQ(StreamProof::kFits, ProveStream(program, stream, 5));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: pack_payload_tests <pack_payload>\n");
    return 2;
  }
  gPacker = argv[1];
  return RUN_ALL_TESTS();
}
