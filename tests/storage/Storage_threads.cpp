// Storage from several threads: per-thread read paths and the shared archive cache.
#include <string>
#include <thread>
#include <vector>

#include "storage/Storage.h"
#include "storage/StorageTestUtil.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

TEST(StorageThreads, ReadPathsAreSeparatePerThread) {
  Storage::SetReadPath("main");
  std::vector<std::thread> threads;
  std::vector<int> ok(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &ok] {
      bool good = Storage::GetReadPath().IsEmpty();
      std::string mine = "thread";
      mine += std::to_string(t);
      for (int i = 0; i < 200; ++i) {
        ReadPathScope scope(mine.c_str());
        good = good && Storage::GetReadPath() == String((mine + "/").c_str());
      }
      good = good && Storage::GetReadPath().IsEmpty();
      Storage::ReleaseThreadState();
      ok[t] = good;
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_TRUE(ok[t]) << t;
  EXPECT_EQ(Storage::GetReadPath(), "main/");
  Storage::ReleaseThreadState();
}

TEST(StorageThreads, ArchiveCacheServesManyThreads) {
  PM::Test::TempDir dir;
  std::vector<PM::Test::StorageKit::ArchiveFile> files;
  for (int i = 0; i < 16; ++i)
    files.push_back(
        {std::string("f").append(std::to_string(i)), std::string(1000 + i, char('a' + i)), uint32_t(i % 2)});
  for (const char* name : {"one.pmk", "two.pmk"})
    PM::Test::WriteFile(dir.File(name), PM::Test::StorageKit::BuildArchive(files));

  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        int f = (t + i) % 16;
        std::string path = dir.File((i % 2) ? "one.pmk" : "two.pmk");
        path.append("/f").append(std::to_string(f));
        StreamPipeRef s(Storage::OpenStreamSimple(path.c_str(), Storage::kRead));
        std::string got(2000, '\0');
        got.resize(size_t(std::max<int64_t>(s->Read(got.data(), 2000), 0)));
        if (got != files[size_t(f)].bytes) ++failures[t];
        if (t == 0 && i % 25 == 0) Storage::ClearArchiveCache();
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << t;
  EXPECT_LE(Storage::CachedArchiveCount(), 2);
  EXPECT_GT(Storage::ArchiveCacheHits(), 0);
  Storage::ClearArchiveCache();
}

}  // namespace
}  // namespace PM
