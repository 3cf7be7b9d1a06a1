// Loading model images: the cache file beside the source is written, reused, refused when older,
// of another version or damaged in any way (and the source compiled again); processes compiling
// one model at once leave one sound cache file; the process-wide cache never gives one source's
// image for another; full contexts get their model.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "context_services.h"
#include "ctx_internal.h"
#include "env_mutex.h"
#include "machine_fixture.h"
#include "mdl_compile.h"
#include "model_load.h"
#include "model_query.h"

namespace fs = std::filesystem;

namespace {

using zolt::test::WaitChild;

using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

std::string Sample(const char* name) {
  return ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / name);
}

std::string Bytes(const ModelImage* image) {
  return image ? std::string(reinterpret_cast<const char*>(image), image->header.totalSize) : std::string();
}

void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put16(std::string& b, size_t at, uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

uint32_t FindItem(const ModelImage* image, uint16_t kind);

// The image with the first character of a display text changed: still sound, but not what a
// compile gives.
std::string Marked(const std::string& bytes) {
  const auto* image = reinterpret_cast<const ModelImage*>(bytes.data());
  const uint32_t item = FindItem(image, kItemPickOne);
  const auto* value = item ? MdlImageAt<ModelValue>(image, MdlImageAt<ModelItem>(image, item)->values) : nullptr;
  std::string marked = bytes;
  if (value && value->text) marked[value->text] = '#';
  return marked;
}

uint64_t WriteTime(const WCHAR* path) {
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME t{};
  if (h != INVALID_HANDLE_VALUE) {
    GetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
  }
  return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void SetWriteTime(const WCHAR* path, uint64_t when) {
  HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME t{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
  CloseHandle(h);
}

// The first item of a kind in the image's item list (offset), or 0.
uint32_t FindItem(const ModelImage* image, uint16_t kind) {
  for (uint32_t link = image->header.firstItem; link; link = MdlImageAt<ModelItem>(image, link)->next) {
    const ModelItem* item = MdlImageAt<ModelItem>(image, link);
    if (ModelItemKind(item->typeWord) == kind && item->variant == 0 && item->values) return link;
  }
  return 0;
}

class MdlLoadTest : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    MdlSetSymbolLookups(nullptr);
    EnvInitProcessLocks();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    WCHAR* path = MdlGetSourcePath(printer_, nullptr);
    ASSERT_NE(path, nullptr);
    source_ = path;
    MdlFreeMem(path);
    WCHAR cache[MAX_PATH];
    ASSERT_TRUE(MdlMakeCachePath(cache, MAX_PATH, source_.c_str()));
    cache_ = cache;
    profile_ = *CtxGetTemplate()->profile;
    area_ = std::make_unique<ContextWorkArea>();
    area_->takeMutex = 1;
    ctx_.printer = printer_;
    ctx_.profile = &profile_;
    ctx_.workArea = area_.get();
  }
  void TearDown() override {
    MdlFreeCache();
    if (printer_) ClosePrinter(printer_);
    EnvFreeProcessLocks();
    DriverMachineTest::TearDown();
  }

  // What compiling the source gives now.
  std::string Fresh(const std::u16string& source) {
    ModelImage* image = MdlCompileImage(source.c_str());
    std::string bytes = Bytes(image);
    MdlFreeMem(image);
    return bytes;
  }
  std::string Fresh() { return Fresh(source_); }

  std::string CacheBytes() { return ReadBytes(Real(cache_)); }
  bool CacheExists() { return fs::exists(Real(cache_)); }
  // Puts bytes in the cache file, dated after the source.
  void PlantCache(const std::string& bytes) {
    WriteBytes(Real(cache_), bytes);
    SetWriteTime(cache_.c_str(), WriteTime(source_.c_str()) + 10'000'000);
  }
  // Loads through a context whose driver information names the given data file.
  ModelImage* LoadFile(const std::u16string& dataFile) {
    std::u16string file = dataFile;
    DRIVER_INFO_2W info{};
    info.pDataFile = file.data();
    area_->driverInfo2 = &info;
    ModelImage* image = MdlLoad(&ctx_);
    area_->driverInfo2 = nullptr;
    return image;
  }
  void InstallSource(const std::u16string& path, const std::string& text) {
    CreateDirectoryW(path.substr(0, path.rfind(u'\\')).c_str(), nullptr);
    WriteBytes(Real(path), text);
  }

  HANDLE printer_ = nullptr;
  std::u16string source_, cache_;
  DriverProfile profile_{};
  std::unique_ptr<ContextWorkArea> area_;
  DriverContext ctx_{};
};

TEST_F(MdlLoadTest, TheFirstLoadCompilesAndWritesTheCacheFileTheNextProcessReadsIt) {
  const std::string fresh = Fresh();
  ASSERT_GT(fresh.size(), kModelHeaderSize);
  EXPECT_FALSE(CacheExists());

  ModelImage* image = MdlLoad(&ctx_);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Bytes(image), fresh);
  EXPECT_EQ(CacheBytes(), fresh) << "the cache file holds the packed image byte for byte";
  EXPECT_GE(WriteTime(cache_.c_str()), WriteTime(source_.c_str()));
  EXPECT_EQ(MdlCachedImageCount(), 1u);
  // The context reads the rule rows through the index the image cache keeps with the image.
  const MdlRuleIndex* index = area_->ruleIndex;
  ASSERT_NE(index, nullptr);
  ctx_.modelImage = image;
  EXPECT_EQ(MdlContextRuleIndex(&ctx_), index);
  ctx_.modelImage = nullptr;
  EXPECT_EQ(MdlContextRuleIndex(&ctx_), nullptr) << "an index of another image is not read";

  // In this process the image is shared without the cache file.
  ASSERT_TRUE(DeleteFileW(cache_.c_str()));
  area_->ruleIndex = nullptr;
  EXPECT_EQ(MdlLoad(&ctx_), image);
  EXPECT_EQ(area_->ruleIndex, index) << "built once per image";
  EXPECT_FALSE(CacheExists());

  // A new process (an empty image cache) reads the cache file: a display text changed in it
  // shows that the image came from the file and not from a compile.
  const std::string marked = Marked(fresh);
  ASSERT_NE(marked, fresh);
  MdlFreeCache();
  PlantCache(marked);
  ModelImage* read = MdlLoad(&ctx_);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Bytes(read), marked);
  EXPECT_EQ(CacheBytes(), marked) << "a cache file that is used is not written again";
}

TEST_F(MdlLoadTest, ACacheFileOlderThanItsSourceIsRebuiltOneAsOldIsUsed) {
  const std::string fresh = Fresh();
  const std::string marked = Marked(fresh);
  ASSERT_NE(marked, fresh);
  ASSERT_TRUE(MdlCheckImage(marked.data(), marked.size()));
  const uint64_t sourceTime = WriteTime(source_.c_str());

  struct Case {
    const char* name;
    int64_t age;  // cache time minus source time, 100 ns
    bool used;
  };
  for (const Case& c : {Case{"older by 100 ns", -1, false}, Case{"older by a day", -864'000'000'000, false},
                        Case{"as old", 0, true}, Case{"newer", 1, true}}) {
    SCOPED_TRACE(c.name);
    MdlFreeCache();
    WriteBytes(Real(cache_), marked);
    SetWriteTime(cache_.c_str(), sourceTime + c.age);
    ModelImage* read = MdlReadCacheFile(source_.c_str());
    EXPECT_EQ(read != nullptr, c.used);
    MdlFreeMem(read);
    ModelImage* image = MdlLoad(&ctx_);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image), c.used ? marked : fresh);
    EXPECT_EQ(CacheBytes(), c.used ? marked : fresh);
    if (!c.used) {
      EXPECT_GE(WriteTime(cache_.c_str()), sourceTime);
    }
  }
}

TEST_F(MdlLoadTest, VersionsDecideWhetherTheCacheFileIsUsedWrittenOrDeleted) {
  const std::string fresh = Fresh();
  std::string otherVersion = fresh;
  Put16(otherVersion, 6, u'1');  // "7.70" -> "7.71"
  std::string noVersionSource = Sample("ZOLT7000.QCS");
  const size_t line = noVersionSource.find("*FileVersion: 7.70");
  ASSERT_NE(line, std::string::npos);
  noVersionSource.replace(line, 18, "*% no version here");

  struct Case {
    const char* name;
    const char16_t* driverVersion;
    const std::string* planted;  // cache file before the load, or none
    bool noVersion;              // the source has no FileVersion statement
    bool cacheAfter;             // a cache file of the fresh compile is there afterwards
  };
  const Case cases[] = {
      {"cache of another version: deleted and written again", u"7.70", &otherVersion, false, true},
      {"no cache file: written", u"7.70", nullptr, false, true},
      {"source is not of the driver's version: compiled, never cached", u"8.00", &fresh, false, false},
      {"no cache file, source of another version", u"8.00", nullptr, false, false},
      {"source without FileVersion: compiled, never cached", u"7.70", &fresh, true, false},
  };
  const std::string original = ReadBytes(Real(source_));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MdlFreeCache();
    DeleteFileW(cache_.c_str());
    InstallSource(source_, c.noVersion ? noVersionSource : original);
    const std::string expected = Fresh();
    std::u16string driverVersion = c.driverVersion;
    profile_.driverVersionString = driverVersion.c_str();
    if (c.planted) PlantCache(*c.planted);
    ModelImage* image = MdlLoad(&ctx_);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image), expected);
    EXPECT_EQ(CacheExists(), c.cacheAfter);
    if (c.cacheAfter) {
      EXPECT_EQ(CacheBytes(), expected);
    }
  }
}

// Every kind of damage to a cache file: the reader refuses it, the load compiles the source and
// writes a sound cache file over it.
TEST_F(MdlLoadTest, ADamagedCacheFileIsRefusedAndReplacedByACompile) {
  const std::string fresh = Fresh();
  const auto* image = reinterpret_cast<const ModelImage*>(fresh.data());
  const ModelImageHeader& h = image->header;
  const uint32_t size = h.totalSize;
  ASSERT_NE(h.firstItem, 0u);
  ASSERT_NE(h.firstExclusive, 0u);
  const auto* firstItem = MdlImageAt<ModelItem>(image, h.firstItem);
  const uint32_t secondItem = firstItem->next;
  ASSERT_NE(secondItem, 0u);
  const uint32_t pickOne = FindItem(image, kItemPickOne);
  const uint32_t pickSlot = FindItem(image, kItemPickSlot);
  ASSERT_NE(pickOne, 0u);
  ASSERT_NE(pickSlot, 0u);
  const uint32_t pickOneValue = MdlImageAt<ModelItem>(image, pickOne)->values;
  const uint32_t slotValue = MdlImageAt<ModelItem>(image, pickSlot)->values;
  const uint32_t rule = h.firstExclusive;
  uint32_t rowRef = 0;
  for (uint32_t r = rule; r && !rowRef; r = MdlImageAt<ExclusiveRule>(image, r)->next)
    if (MdlImageAt<ExclusiveRule>(image, r)->itemRules) rowRef = MdlImageAt<ExclusiveRule>(image, r)->itemRules;
  ASSERT_NE(rowRef, 0u);
  const uint32_t rowRefField = [&] {
    for (uint32_t r = rule; r; r = MdlImageAt<ExclusiveRule>(image, r)->next)
      if (MdlImageAt<ExclusiveRule>(image, r)->itemRules == rowRef) return r + uint32_t(offsetof(ExclusiveRule, itemRules));
    return 0u;
  }();
  const uint32_t group = h.groups[kGroupSlotJobStart];
  ASSERT_NE(group, 0u);
  const uint32_t node = MdlImageAt<ModelCommandGroup>(image, group)->mainBranch;
  ASSERT_NE(node, 0u);
  ASSERT_NE(ModelItemSlot(&h, firstItem->settingId), nullptr);
  const size_t slotOfFirst = static_cast<size_t>(
      reinterpret_cast<const uint8_t*>(ModelItemSlot(&h, firstItem->settingId)) - MdlImageBytes(image));

  struct Damage {
    const char* name;
    std::function<void(std::string&)> apply;
  };
  const Damage damages[] = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"truncated to the header", [](std::string& b) { b.resize(kModelHeaderSize); }},
      {"truncated by one byte", [](std::string& b) { b.pop_back(); }},
      {"longer than its size slot", [](std::string& b) { b.append(4, '\0'); }},
      {"size slot beyond the file", [&](std::string& b) { Put32(b, 32, size + 4); }},
      {"size slot of 4 GB", [](std::string& b) { Put32(b, 32, 0xFFFFFFFFu); }},
      {"FileVersion without terminator", [](std::string& b) { std::memset(b.data(), 'A', 32); }},
      {"item link past the end", [&](std::string& b) { Put32(b, 36, size + 64); }},
      {"item link into the header", [](std::string& b) { Put32(b, 36, 100); }},
      {"item link straddling the end", [&](std::string& b) { Put32(b, 36, size - 8); }},
      {"direct slot past the end", [&](std::string& b) { Put32(b, slotOfFirst, 0xFFFFFFF0u); }},
      {"value text past the end", [&](std::string& b) { Put32(b, pickOneValue + offsetof(ModelValue, text), size + 1); }},
      {"value text without terminator", [&](std::string& b) {
         Put32(b, pickOneValue + offsetof(ModelValue, text), size - 1);
         b.back() = 'x';
       }},
      {"tag bit cleared", [&](std::string& b) { Put32(b, rowRefField, rowRef & ~1u); }},
      {"tag of another kind", [&](std::string& b) { Put32(b, rowRefField, rowRef | 2u); }},
      {"tagged reference not aligned", [&](std::string& b) { Put32(b, rowRefField, rowRef + 2 * 16); }},
      {"tagged reference past the end", [&](std::string& b) { Put32(b, rowRefField, MdlMakeTaggedRef(size)); }},
      {"unknown value kind", [&](std::string& b) { Put16(b, pickOne + offsetof(ModelItem, typeWord), 0x0777); }},
      {"unknown command node", [&](std::string& b) { Put16(b, node + offsetof(CommandNode, type), 9); }},
      {"paper count too large", [&](std::string& b) { Put32(b, slotValue + offsetof(ModelSlotValue, paperCount), 0x7FFFFFFF); }},
      {"paper count negative", [&](std::string& b) { Put32(b, slotValue + offsetof(ModelSlotValue, paperCount), 0xFFFFFFFFu); }},
      {"device font count too large", [](std::string& b) { Put32(b, 8356, 0x00FFFFFF); }},
      {"item list loops on itself", [&](std::string& b) { Put32(b, h.firstItem, h.firstItem); }},
      {"item list loops back", [&](std::string& b) { Put32(b, secondItem, h.firstItem); }},
      {"rule rows loop", [&](std::string& b) { Put32(b, MdlTaggedOffset(rowRef), rowRef); }},
      {"Exclusive rules loop", [&](std::string& b) { Put32(b, rule, rule); }},
      {"command branch loops", [&](std::string& b) { Put32(b, node, node); }},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    std::string damaged = fresh;
    d.apply(damaged);
    ASSERT_NE(damaged, fresh);
    MdlFreeCache();
    PlantCache(damaged);
    ModelImage* read = MdlReadCacheFile(source_.c_str());
    EXPECT_EQ(read, nullptr);
    MdlFreeMem(read);
    ModelImage* loaded = MdlLoad(&ctx_);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Bytes(loaded), fresh);
    EXPECT_EQ(CacheBytes(), fresh);
  }
}

// Two processes load the same model at the same moment, with the global mutex and (contexts made
// without locking) without it: the cache file is the whole compile either way, and no temporary
// file is left.
TEST_F(MdlLoadTest, ProcessesCompilingOneModelAtOnceLeaveOneSoundCacheFile) {
  const std::string fresh = Fresh();
  for (bool lock : {true, false}) {
    SCOPED_TRACE(lock ? "under the global mutex" : "without the global mutex");
    MdlFreeCache();
    DeleteFileW(cache_.c_str());
    area_->takeMutex = lock ? 1 : 0;
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    constexpr int kProcesses = 3;
    pid_t children[kProcesses];
    for (pid_t& child : children) {
      child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        char c;
        if (read(go[0], &c, 1) != 1) _exit(2);
        ModelImage* image = MdlLoad(&ctx_);
        const bool sound = image && Bytes(image) == fresh;
        _exit(sound ? 0 : 1);
      }
    }
    ASSERT_EQ(write(go[1], "xxx", kProcesses), kProcesses);
    close(go[0]);
    close(go[1]);
    for (pid_t child : children) EXPECT_EQ(WaitChild(child), 0);
    EXPECT_EQ(CacheBytes(), fresh);
    for (const auto& entry : fs::directory_iterator(Real(cache_).parent_path()))
      EXPECT_NE(entry.path().extension(), ".tmp") << "temporary file left: " << entry.path();
  }
}

// A cache file that cannot be replaced (read-only) stays as it was, with no temporary file left
// beside it; the load still has its image.
TEST_F(MdlLoadTest, ACacheFileThatCannotBeReplacedIsLeftWhole) {
  const std::string fresh = Fresh();
  std::string older = fresh;
  Put16(older, 6, u'1');
  PlantCache(older);
  ASSERT_TRUE(SetFileAttributesW(cache_.c_str(), FILE_ATTRIBUTE_READONLY));
  ModelImage* image = MdlLoad(&ctx_);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Bytes(image), fresh);
  EXPECT_EQ(CacheBytes(), older);
  EXPECT_EQ(MdlWriteCacheFile(image, source_.c_str()), 0);
  EXPECT_EQ(CacheBytes(), older);
  for (const auto& entry : fs::directory_iterator(Real(cache_).parent_path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << "temporary file left: " << entry.path();
  SetFileAttributesW(cache_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(MdlWriteCacheFile(image, source_.c_str()), 1);
  EXPECT_EQ(CacheBytes(), fresh);
}

TEST_F(MdlLoadTest, TheProcessCacheNeverSharesAnImageBetweenSources) {
  const std::u16string a = u"C:\\ModelsA\\ZOLT7000.QCS", b = u"C:\\ModelsB\\ZOLT7000.QCS";
  InstallSource(a, Sample("ZOLT7000.QCS"));
  InstallSource(b, Sample("ZOLT2100.QCS"));
  WCHAR name[32];

  // Two descriptions of one base name in two folders.
  ModelImage* imageA = LoadFile(a);
  ModelImage* imageB = LoadFile(b);
  ASSERT_NE(imageA, nullptr);
  ASSERT_NE(imageB, nullptr);
  EXPECT_NE(imageA, imageB);
  EXPECT_EQ(Bytes(imageA), Fresh(a));
  EXPECT_EQ(Bytes(imageB), Fresh(b));
  MdlImageCopyWide(imageB, imageB->header.uiResDllName, name, 32);
  EXPECT_EQ(std::u16string(name), u"ZOLT2RES.DLL");
  EXPECT_EQ(LoadFile(a), imageA);
  EXPECT_EQ(LoadFile(u"c:\\modelsa\\zolt7000.qcs"), imageA) << "paths name files without case";

  // A path shorter than 12 characters is cached like any other.
  InstallSource(u"C:\\M.QCS", Sample("ZOLT2100.QCS"));
  ModelImage* shortPath = LoadFile(u"C:\\M.QCS");
  ASSERT_NE(shortPath, nullptr);
  EXPECT_EQ(LoadFile(u"C:\\M.QCS"), shortPath);
  EXPECT_EQ(MdlCachedImageCount(), 3u);

  // An upgrade replaces A's description: the next load gets the new one; the old image stays
  // valid for the contexts that hold it.
  const std::string before = Bytes(imageA);
  InstallSource(a, Sample("ZOLT2100.QCS"));
  SetWriteTime(a.c_str(), WriteTime(a.c_str()) + 10'000'000);
  ModelImage* upgraded = LoadFile(a);
  ASSERT_NE(upgraded, nullptr);
  EXPECT_NE(upgraded, imageA);
  EXPECT_EQ(Bytes(upgraded), Fresh(a));
  EXPECT_EQ(Bytes(imageA), before);
  EXPECT_EQ(MdlCachedImageCount(), 4u);
}

TEST_F(MdlLoadTest, ALoadedImageOutlivesItsSource) {
  const std::u16string a = u"C:\\ModelsA\\ZOLT7000.QCS";
  InstallSource(a, Sample("ZOLT7000.QCS"));
  ModelImage* first = LoadFile(a);
  ASSERT_NE(first, nullptr);
  // An upgrade, then the source disappears: the newest image of the path serves.
  InstallSource(a, Sample("ZOLT2100.QCS"));
  SetWriteTime(a.c_str(), WriteTime(a.c_str()) + 10'000'000);
  ModelImage* upgraded = LoadFile(a);
  ASSERT_NE(upgraded, nullptr);
  ASSERT_NE(upgraded, first);
  ASSERT_TRUE(DeleteFileW(a.c_str()));
  EXPECT_EQ(LoadFile(a), upgraded);
  EXPECT_EQ(LoadFile(u"c:\\modelsa\\ZOLT7000.qcs"), upgraded);
  EXPECT_EQ(MdlCachedImageCount(), 2u);
  // A source that this process never loaded still fails.
  EXPECT_EQ(LoadFile(u"C:\\ModelsB\\ZOLT7000.QCS"), nullptr);
}

TEST_F(MdlLoadTest, TheDataFileMustNameAModelDescription) {
  InstallSource(u"C:\\Models\\ZOLT7000.QCS", Sample("ZOLT7000.QCS"));
  struct Case {
    const char* name;
    const char16_t* dataFile;
    bool qcdFamily;  // the model family's flag 2 for this system
    bool loads;
  };
  const Case cases[] = {
      {"QCS", u"C:\\Models\\ZOLT7000.QCS", false, true},
      {"qcs in lower case", u"C:\\Models\\zolt7000.qcs", false, true},
      {"QCD without the flag", u"C:\\Models\\ZOLT7000.QCD", false, false},
      {"QCD with the flag: the QCS file", u"C:\\Models\\ZOLT7000.QCD", true, true},
      {"QCS with the flag", u"C:\\Models\\ZOLT7000.QCS", true, false},
      {"other extension", u"C:\\Models\\ZOLT7000.TXT", false, false},
      {"no extension", u"C:\\Models\\ZOLT7000", false, false},
      {"missing file", u"C:\\Models\\ZOLT9999.QCS", false, false},
  };
  const DWORD word = profile_.featureWord;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile_.featureWord = c.qcdFamily ? (word | 2) : (word & ~2u);
    EXPECT_EQ(LoadFile(c.dataFile) != nullptr, c.loads);
  }
  EXPECT_TRUE(fs::exists(Real(u"C:\\Models\\ZOLT7000.BCS")));

  // Without driver information and without a printer there is no source.
  ctx_.printer = nullptr;
  EXPECT_EQ(MdlLoad(&ctx_), nullptr);
  EXPECT_EQ(MdlLoad(nullptr), nullptr);
}

TEST_F(MdlLoadTest, CachePathsReplaceTheExtensionOfTheFileName) {
  struct Case {
    const char16_t* source;
    const char16_t* cache;
  };
  for (const Case& c : {Case{u"C:\\D\\ZOLT7000.QCS", u"C:\\D\\ZOLT7000.BCS"}, Case{u"C:\\D\\a.b.qcs", u"C:\\D\\a.b.BCS"},
                        Case{u"C:\\D.X\\ZOLT", u"C:\\D.X\\ZOLT.BCS"}, Case{u"M.", u"M.BCS"}}) {
    WCHAR out[64];
    ASSERT_TRUE(MdlMakeCachePath(out, 64, c.source));
    EXPECT_EQ(std::u16string(out), c.cache);
  }
  WCHAR small[9];
  EXPECT_FALSE(MdlMakeCachePath(small, 9, u"C:\\ZOLT7000.QCS"));
  EXPECT_EQ(small[0], u'\0');
  EXPECT_TRUE(MdlMakeCachePath(small, 9, u"C:\\Z.QC"));
  EXPECT_EQ(std::u16string(small), u"C:\\Z.BCS");

  for (const Case& c : {Case{u"C:\\D\\ZOLT7000.qcd", u"C:\\D\\ZOLT7000.QCS"}, Case{u"C:\\D.X\\ZOLT", u"C:\\D.X\\ZOLT"},
                        Case{u"C:\\D\\a.b", u"C:\\D\\a.Q"}}) {
    std::u16string path = c.source;
    MdlReplaceExtension(path.data());
    EXPECT_EQ(path, c.cache);
  }
}

// Full contexts and the other kinds that need a model get the shared image and an evaluator
// stack; a context that cannot have a model is not created.
TEST_F(MdlLoadTest, ContextsOfTheKindsThatNeedAModelShareTheLoadedImage) {
  DriverContext* full = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
  ASSERT_NE(full, nullptr);
  ASSERT_NE(full->modelImage, nullptr);
  EXPECT_NE(full->workArea->evalStack, nullptr);
  EXPECT_EQ(Bytes(full->modelImage), Fresh());
  EXPECT_EQ(CacheBytes(), Fresh());
  for (WORD kind : {1, 2, 3}) {
    DriverContext* ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kind, kCtxModeSettingsCommand);
    ASSERT_NE(ctx, nullptr) << kind;
    EXPECT_EQ(ctx->modelImage, full->modelImage) << kind;
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
  DriverContext* tables = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(tables, nullptr);
  EXPECT_EQ(tables->modelImage, nullptr);
  CtxReleaseAs(tables, kCtxReleaseDestroy);
  CtxReleaseAs(full, kCtxReleaseDestroy);
  EXPECT_EQ(MdlCachedImageCount(), 1u);

  // A printer whose data file is no model description: no context.
  WriteBytes(Real(source_), "");
  MdlFreeCache();
  DeleteFileW(cache_.c_str());
  EXPECT_EQ(CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi), nullptr);
}

}  // namespace
