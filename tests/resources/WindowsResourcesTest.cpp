// The program file's Windows resources: the resource script is compiled with windres and every
// resource is read back and compared with what the program must carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

#include "ResFile.h"
#include "Tools.h"

namespace plenwick::restest {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kIconImage = 3, kVersion = 16, kIconGroup = 14, kManifest = 24;
constexpr std::uint16_t kUsEnglish = 1033, kNeutral = 0;

const std::string kSite = PLENWICK_SITE_URL;

const std::string kManifestText =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r"
    "  <assemblyIdentity name=\"Tarvik.Plenwick\" processorArchitecture=\"x86\" "
    "version=\"1.0.0.0\" type=\"win32\"/>\r"
    "  <description></description>\r"
    "  <dependency>\r"
    "    <dependentAssembly>\r"
    "      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
    "version=\"6.0.0.0\" processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\" "
    "language=\"*\"/>\r"
    "    </dependentAssembly>\r"
    "  </dependency>\r"
    "</assembly>\r";

// (size, bits per pixel) of the six icon images.
const std::set<std::pair<int, int>> kIconImages = {{16, 8},  {32, 8},  {48, 8},
                                                   {16, 32}, {32, 32}, {48, 32}};

std::optional<fs::path> FindWindres() {
  return FindTool({"i686-w64-mingw32-windres", "x86_64-w64-mingw32-windres", "windres"});
}

// windres needs a C preprocessor; without the MinGW compiler the host's cpp does the job.
std::vector<std::string> WindresCommand(const fs::path& windres) {
  std::vector<std::string> args{windres.string()};
  if (!FindTool({"i686-w64-mingw32-gcc"})) {
    if (auto cpp = FindTool({"cpp"})) args.push_back("--preprocessor=" + cpp->string());
  }
  return args;
}

class WindowsResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto windres = FindWindres();
    if (!windres) {
      skipReason_ = "windres is not installed (Debian package binutils-mingw-w64)";
      return;
    }
    scratch_ = std::make_unique<ScratchDir>();
    auto args = WindresCommand(*windres);
    args.insert(args.end(), {"-O", "res", "-i", PLENWICK_RC_FILE, "-o", "plenwick.res"});
    const RunResult run = RunTool(args, scratch_->path());
    compileOutput_ = run.output;
    if (run.exitCode == 0) {
      resources_ =
          ReadResFile(ReadAll(scratch_->path() / "plenwick.res")).value_or(std::vector<Resource>{});
    }
  }
  static void TearDownTestSuite() {
    resources_.reset();
    scratch_.reset();
  }

  void SetUp() override {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    ASSERT_TRUE(resources_.has_value()) << "windres failed:\n" << compileOutput_;
    ASSERT_FALSE(resources_->empty()) << "the compiled resource file could not be read";
  }

  static std::vector<const Resource*> OfType(std::uint16_t type) {
    std::vector<const Resource*> found;
    for (const Resource& r : *resources_) {
      if (r.type == type) found.push_back(&r);
    }
    return found;
  }

  static inline std::string skipReason_;
  static inline std::string compileOutput_;
  static inline std::unique_ptr<ScratchDir> scratch_;
  static inline std::optional<std::vector<Resource>> resources_;
};

TEST_F(WindowsResources, ManifestIsResource24Id1InUsEnglishWithItsExactText) {
  const auto manifests = OfType(kManifest);
  ASSERT_EQ(manifests.size(), 1u);
  EXPECT_EQ(manifests[0]->id, 1);
  EXPECT_EQ(manifests[0]->language, kUsEnglish);
  const std::string text(manifests[0]->data.begin(), manifests[0]->data.end());
  EXPECT_EQ(text, kManifestText);
  // A checkout that turned the line ends into CR LF or LF would change the bytes above; say so.
  EXPECT_EQ(text.find('\n'), std::string::npos) << "lines must end in a carriage return alone";
}

TEST_F(WindowsResources, IconGroupHoldsSixImagesIn256ColoursAnd32BitColour) {
  const auto groups = OfType(kIconGroup);
  ASSERT_EQ(groups.size(), 1u);
  const Resource& group = *groups[0];
  EXPECT_EQ(group.id, 1);
  EXPECT_EQ(group.language, kNeutral);
  const Bytes& g = group.data;
  ASSERT_GE(g.size(), 6u);
  EXPECT_EQ(Word16(g, 0), 0);  // reserved
  EXPECT_EQ(Word16(g, 2), 1);  // icon, not cursor
  const std::size_t count = Word16(g, 4);
  ASSERT_EQ(count, 6u);
  ASSERT_EQ(g.size(), 6 + 14 * count);

  const auto images = OfType(kIconImage);
  ASSERT_EQ(images.size(), 6u);
  std::set<std::pair<int, int>> seen;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t e = 6 + 14 * i;
    const int width = g[e], height = g[e + 1], bits = Word16(g, e + 6);
    const std::uint32_t bytes = Word32(g, e + 8);
    const std::uint16_t id = Word16(g, e + 12);
    SCOPED_TRACE("image " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                 std::to_string(bits));
    EXPECT_EQ(width, height);
    seen.insert({width, bits});

    const auto image =
        std::find_if(images.begin(), images.end(), [id](const Resource* r) { return r->id == id; });
    ASSERT_NE(image, images.end()) << "the group names image " << id << ", which is missing";
    const Bytes& bmp = (*image)->data;
    ASSERT_EQ(bmp.size(), bytes);
    ASSERT_GE(bmp.size(), 40u);
    EXPECT_EQ(Word32(bmp, 0), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<int>(Word32(bmp, 4)), width);
    EXPECT_EQ(static_cast<int>(Word32(bmp, 8)), 2 * height);  // colours and mask
    EXPECT_EQ(Word16(bmp, 14), bits);
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    const std::size_t maskBytes = (w + 31) / 32 * 4 * h;
    if (bits == 8) {
      EXPECT_EQ(bmp.size(), 40 + 256 * 4 + (w + 3) / 4 * 4 * h + maskBytes);
    } else {
      ASSERT_EQ(bmp.size(), 40 + 4 * w * h + maskBytes);
      // The 32-bit images carry real transparency: clear pixels and solid ones.
      int clear = 0, solid = 0;
      for (std::size_t p = 0; p < w * h; ++p) {
        const std::uint8_t alpha = bmp[40 + 4 * p + 3];
        clear += alpha == 0;
        solid += alpha == 255;
      }
      EXPECT_GT(clear, 0);
      EXPECT_GT(solid, static_cast<int>(w * h / 2));
    }
  }
  EXPECT_EQ(seen, kIconImages);
}

TEST_F(WindowsResources, VersionRecordHoldsEveryField) {
  const auto versions = OfType(kVersion);
  ASSERT_EQ(versions.size(), 1u);
  EXPECT_EQ(versions[0]->id, 1);
  EXPECT_EQ(versions[0]->language, kUsEnglish);
  const auto record = ReadVersionRecord(versions[0]->data);
  ASSERT_TRUE(record.has_value()) << "the version record is malformed";
  EXPECT_EQ(record->signature, 0xFEEF04BDu);
  EXPECT_EQ(record->fileVersionMs, 0x00020003u);  // 2.3.0.0
  EXPECT_EQ(record->fileVersionLs, 0u);
  EXPECT_EQ(record->productVersionMs, 0x00020003u);
  EXPECT_EQ(record->productVersionLs, 0u);
  EXPECT_EQ(record->fileFlags, 0u);
  EXPECT_EQ(record->fileOs, 0x4u);             // 32-bit Windows
  EXPECT_EQ(record->fileType, 0x1u);           // application
  EXPECT_EQ(record->stringTable, "040904B0");  // US English, Unicode
  const std::map<std::string, std::string> expected = {
      {"Comments", kSite},
      {"CompanyName", "Tarvik - " + kSite},
      {"FileDescription", "Join Multiple MS Word Documents into One"},
      {"FileVersion", "2.03"},
      {"InternalName", "plenwick"},
      {"LegalCopyright", kSite},
      {"OriginalFilename", "plenwick.exe"},
      {"ProductName", "Plenwick"},
      {"ProductVersion", "2.03"},
  };
  EXPECT_EQ(record->values, expected);
  EXPECT_EQ(record->translation, (std::vector<std::uint16_t>{0x0409, 1200}));
}

TEST_F(WindowsResources, CarriesNothingElse) {
  std::multiset<std::uint16_t> types;
  for (const Resource& r : *resources_) types.insert(r.type);
  EXPECT_EQ(types, (std::multiset<std::uint16_t>{kIconImage, kIconImage, kIconImage, kIconImage,
                                                 kIconImage, kIconImage, kVersion, kIconGroup,
                                                 kManifest}));
}

// The same resources seen by icoutils in a program file linked from windres' object.
TEST(WindowsProgramFile, IcoutilsListTheResourcesAndTheSixIconImages) {
  const auto windres = FindWindres();
  const auto ld = FindTool({"i686-w64-mingw32-ld"});
  const auto wrestool = FindTool({"wrestool"});
  const auto icotool = FindTool({"icotool"});
  if (!windres || !ld) GTEST_SKIP() << "binutils-mingw-w64 (windres, ld) is not installed";
  if (!wrestool || !icotool) GTEST_SKIP() << "icoutils (wrestool, icotool) is not installed";

  ScratchDir dir;
  auto compile = WindresCommand(*windres);
  compile.insert(compile.end(), {"-O", "coff", "-i", PLENWICK_RC_FILE, "-o", "plenwick.o"});
  const RunResult compiled = RunTool(compile, dir.path());
  ASSERT_EQ(compiled.exitCode, 0) << compiled.output;
  // A program file with resources and no code is enough for the resource readers.
  const RunResult linked = RunTool(
      {ld->string(), "--subsystem", "windows", "-e", "0", "-o", "plenwick.exe", "plenwick.o"},
      dir.path());
  ASSERT_EQ(linked.exitCode, 0) << linked.output;

  const RunResult listed = RunTool({wrestool->string(), "-l", "plenwick.exe"}, dir.path());
  ASSERT_EQ(listed.exitCode, 0) << listed.output;
  for (const char* line : {"--type=24 --name=1 --language=1033", "--type=14 --name=1 --language=0",
                           "--type=16 --name=1 --language=1033"}) {
    EXPECT_NE(listed.output.find(line), std::string::npos) << line << "\n" << listed.output;
  }

  const RunResult extracted =
      RunTool({wrestool->string(), "-x", "--type=14", "--name=1", "-o", "icon.ico", "plenwick.exe"},
              dir.path());
  ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
  const RunResult icons = RunTool({icotool->string(), "-l", "icon.ico"}, dir.path());
  ASSERT_EQ(icons.exitCode, 0) << icons.output;
  std::set<std::pair<int, int>> seen;
  std::istringstream lines(icons.output);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    int width = 0, height = 0, depth = 0;
    const auto field = [&line](const std::string& name) {
      const auto at = line.find("--" + name + "=");
      return at == std::string::npos ? -1 : std::stoi(line.substr(at + name.size() + 3));
    };
    width = field("width");
    height = field("height");
    depth = field("bit-depth");
    if (width < 0) continue;
    ++count;
    EXPECT_EQ(width, height) << line;
    seen.insert({width, depth});
  }
  EXPECT_EQ(count, 6) << icons.output;
  EXPECT_EQ(seen, kIconImages) << icons.output;
}

}  // namespace
}  // namespace plenwick::restest
