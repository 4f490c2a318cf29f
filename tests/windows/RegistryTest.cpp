// The registry over its store file: values as another process sees them, the
// Windows answers for absent values and short buffers, names without case, and a
// store file that stays whole through concurrent writers and corruption.
#include "windows.h"

#include "ScopedEnv.h"
#include "ScratchRegistry.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> TextBytes(const std::wstring& text, bool withZero) {
    const size_t count = (text.size() + (withZero ? 1 : 0)) * sizeof(WCHAR);
    const BYTE* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(begin, begin + count);
}

template <typename T>
std::vector<BYTE> PodBytes(T value) {
    const BYTE* begin = reinterpret_cast<const BYTE*>(&value);
    return std::vector<BYTE>(begin, begin + sizeof value);
}

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.insert(entry->d_name);
        closedir(d);
    }
    return names;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Runs the probe executable with these arguments (no shell) and answers its exit status.
int RunProbe(const std::vector<std::string>& args) {
    std::vector<std::string> all{VYR_REGISTRY_PROBE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A long-lived second process that keeps its own store and answers, for each value this
// process expects, whether it reads exactly that.
class Watcher {
public:
    Watcher(const std::string& key, const std::string& name) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[1]);
            close(fromChild[0]);
            execl(VYR_REGISTRY_PROBE, VYR_REGISTRY_PROBE, "watch", key.c_str(), name.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
    }
    ~Watcher() {
        if (in_) std::fclose(in_);  // end of input: the probe exits
        if (out_) std::fclose(out_);
        int status = 0;
        if (pid_ > 0) waitpid(pid_, &status, 0);
    }
    bool Started() const { return pid_ > 0 && in_ && out_; }
    // "1" when the watcher reads these bytes (hex), else what it reads.
    std::string Check(const std::string& hex) {
        std::fprintf(in_, "%s\n", hex.c_str());
        std::fflush(in_);
        char line[256] = {};
        if (!std::fgets(line, sizeof line, out_)) return "no answer";
        std::string answer(line);
        if (!answer.empty() && answer.back() == '\n') answer.pop_back();
        return answer;
    }

private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

class RegistryTest : public ::testing::Test {
protected:

    // Creates (or opens) a key below HKEY_LOCAL_MACHINE with every right.
    HKEY CreateKey(const wchar_t* path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, &key, disposition));
        return key;
    }

    static LONG Set(HKEY key, const wchar_t* name, DWORD type, const std::vector<BYTE>& bytes) {
        return RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }

    // The value's bytes, read the usual way: ask the size, then read.
    static std::vector<BYTE> Get(HKEY key, const wchar_t* name, DWORD* type = nullptr, LONG* status = nullptr) {
        DWORD size = 0;
        LONG result = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
        std::vector<BYTE> bytes(size);
        if (result == ERROR_SUCCESS) result = RegQueryValueExW(key, name, nullptr, type, bytes.data(), &size);
        if (status) *status = result;
        if (result != ERROR_SUCCESS) bytes.clear();
        return bytes;
    }

    vyrtest::ScratchRegistry registry_;
    const std::string dir_ = registry_.Dir();
    const std::string file_ = registry_.File();
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytesInAReadableFile) {
    DWORD disposition = 0;
    HKEY key = CreateKey(L"Software\\Vyr\\Values", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);

    std::vector<BYTE> blob;
    for (int i = 0; i < 256; ++i) blob.push_back(static_cast<BYTE>(i));
    const std::vector<BYTE> multi = TextBytes(std::wstring(L"one\0two\0", 8), true);
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Text", REG_SZ, TextBytes(L"1.25", true)));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Unterminated", REG_SZ, TextBytes(L"abc", false)));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Count", REG_DWORD, PodBytes<DWORD>(42)));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Big", REG_QWORD, PodBytes<uint64_t>(0x0123456789abcdefULL)));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Blob", REG_BINARY, blob));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Empty", 0, REG_BINARY, nullptr, 0));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"List", REG_MULTI_SZ, multi));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Odd", 0x1234, {7}));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, nullptr, REG_EXPAND_SZ, TextBytes(L"%HOME%", true)));
    ASSERT_EQ(ERROR_SUCCESS, RegFlushKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Values", 0, KEY_READ, &key));
    struct Expected {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Expected expected[] = {
        {L"Text", REG_SZ, TextBytes(L"1.25", true)},  // 5 wide characters: 20 bytes
        {L"Unterminated", REG_SZ, TextBytes(L"abc", false)},
        {L"Count", REG_DWORD, PodBytes<DWORD>(42)},
        {L"Big", REG_QWORD, PodBytes<uint64_t>(0x0123456789abcdefULL)},
        {L"Blob", REG_BINARY, blob},
        {L"Empty", REG_BINARY, {}},
        {L"List", REG_MULTI_SZ, multi},
        {L"Odd", 0x1234, {7}},
        {L"", REG_EXPAND_SZ, TextBytes(L"%HOME%", true)},
    };
    for (const Expected& e : expected) {
        DWORD type = 0;
        LONG status = 0;
        EXPECT_EQ(e.bytes, Get(key, e.name, &type, &status)) << e.name;
        EXPECT_EQ(ERROR_SUCCESS, status) << e.name;
        EXPECT_EQ(e.type, type) << e.name;
    }
    EXPECT_EQ(20u, Get(key, L"Text").size());
    RegCloseKey(key);

    const std::string text = vyrtest::ReadFileBytes(file_);
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\Software\\Vyr\\Values]\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Count\"=REG_DWORD:2a 00 00 00\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Odd\"=0x00001234:07\n")) << text;
}

TEST_F(RegistryTest, AValueWrittenByOneProcessIsReadByAnother) {
    HKEY key = CreateKey(L"Software\\Vyr\\Shared");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Generation", REG_SZ, TextBytes(L"1", true)));

    // The child reads it with its type and its 8 bytes; a different expectation fails.
    EXPECT_EQ(0, RunProbe({"expect", "Software\\Vyr\\Shared", "Generation", "1", "3100000000000000"}));
    EXPECT_EQ(1, RunProbe({"expect", "Software\\Vyr\\Shared", "Generation", "1", "31000000"}));
    EXPECT_EQ(1, RunProbe({"expect", "Software\\Vyr\\Shared", "Generation", "3", "3100000000000000"}));

    // What the child writes, this process reads through the handle it already holds.
    ASSERT_EQ(0, RunProbe({"set", "Software\\Vyr\\Shared", "FromChild", "3", "0102030405"}));
    DWORD type = 0;
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4, 5}), Get(key, L"FromChild", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ALongLivedReaderSeesEveryWriteOfTheSameSize) {
    // Writes of the same size follow each other within one tick of the file clock, and a
    // rename may hand the new store the inode of an older one: the reader that keeps its
    // parsed store must still see each one.
    HKEY key = CreateKey(L"Software\\Vyr\\Watched");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Counter", REG_DWORD, PodBytes<DWORD>(0)));
    Watcher watcher("Software\\Vyr\\Watched", "Counter");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ("1", watcher.Check("00000000"));
    for (DWORD i = 1; i <= 40; ++i) {
        ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Counter", REG_DWORD, PodBytes<DWORD>(i)));
        char hex[16];
        std::snprintf(hex, sizeof hex, "%02x000000", static_cast<unsigned>(i));
        ASSERT_EQ("1", watcher.Check(hex)) << "write " << i;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, ARewriteInPlaceOfTheSameSizeIsSeenAtOnce) {
    // Another program (an editor, a script) rewrites the bytes in place: same inode, same size,
    // and most often the same time stamp as the version read just before.
    auto store = [](char digit) {
        return std::string("VYR-REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\Hand]\n\"Digit\"=REG_BINARY:0") + digit +
               "\n";
    };
    HKEY key = nullptr;
    for (char digit = '0'; digit <= '9'; ++digit) {
        WriteFile(file_, store(digit));
        if (!key) {
            ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Hand", 0, KEY_READ, &key));
        }
        EXPECT_EQ(std::vector<BYTE>{static_cast<BYTE>(digit - '0')}, Get(key, L"Digit")) << digit;
    }
    // The same through a rename over the store, as a careful writer does it.
    for (char digit = '0'; digit <= '9'; ++digit) {
        WriteFile(file_ + ".new", store(digit));
        ASSERT_EQ(0, rename((file_ + ".new").c_str(), file_.c_str()));
        EXPECT_EQ(std::vector<BYTE>{static_cast<BYTE>(digit - '0')}, Get(key, L"Digit")) << digit;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, AStoreUnchangedForSecondsStillSeesTheNextChange) {
    // Once a store's last change is old enough, one stat() tells whether it changed; a rewrite
    // of the same size then carries a later time stamp and is read.
    WriteFile(file_, "VYR-REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\Old]\n\"V\"=REG_BINARY:01\n");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Old", 0, KEY_READ, &key));
    EXPECT_EQ(std::vector<BYTE>{1}, Get(key, L"V"));
    sleep(3);
    EXPECT_EQ(std::vector<BYTE>{1}, Get(key, L"V"));  // compared once more, then trusted by its identity
    EXPECT_EQ(std::vector<BYTE>{1}, Get(key, L"V"));
    WriteFile(file_, "VYR-REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\Old]\n\"V\"=REG_BINARY:02\n");
    EXPECT_EQ(std::vector<BYTE>{2}, Get(key, L"V"));
    // And a change by another process.
    ASSERT_EQ(0, RunProbe({"set", "Software\\Vyr", "X", "3", "07"}));
    EXPECT_EQ(std::vector<BYTE>{2}, Get(key, L"V"));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr", 0, KEY_READ, &key));
    EXPECT_EQ(std::vector<BYTE>{7}, Get(key, L"X"));
    RegCloseKey(key);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNoValue) {
    HKEY key = CreateKey(L"Software\\Vyr\\Busy");
    const int writers = 4;
    const int perWriter = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t child = fork();
        if (child == 0) {
            const std::string prefix = "w" + std::to_string(w) + "_";
            const std::string count = std::to_string(perWriter);
            char* argv[] = {const_cast<char*>(VYR_REGISTRY_PROBE), const_cast<char*>("fill"),
                            const_cast<char*>("Software\\Vyr\\Busy"), const_cast<char*>(prefix.c_str()),
                            const_cast<char*>(count.c_str()), nullptr};
            execv(argv[0], argv);
            _exit(127);
        }
        ASSERT_GT(child, 0);
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < perWriter; ++i) {
            const std::wstring name = L"w" + std::to_wstring(w) + L"_" + std::to_wstring(i);
            EXPECT_EQ(PodBytes<DWORD>(static_cast<DWORD>(i)), Get(key, name.c_str())) << "lost " << w << "/" << i;
        }
    RegCloseKey(key);
    EXPECT_EQ((std::set<std::string>{"registry", "registry.lock"}), FilesIn(dir_));
}

TEST_F(RegistryTest, AbsentKeysAndValuesAnswerFileNotFound) {
    // No store file at all: an empty registry, and reading does not create one.
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nothing", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(HKEY_CURRENT_USER, L"Nothing", nullptr, nullptr, nullptr, &size));
    EXPECT_TRUE(FilesIn(dir_).empty());

    key = CreateKey(L"Software\\Vyr\\Present");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"Absent", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, L"Absent"));
    HKEY other = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(key, L"Deeper", 0, KEY_READ, &other));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vyr\\Present", 0, KEY_READ, &other));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Absent"));

    // The default value (null or empty name) is one value.
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"", REG_DWORD, PodBytes<DWORD>(9)));
    EXPECT_EQ(PodBytes<DWORD>(9), Get(key, nullptr));
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueryAnswersTheSizeAndMoreDataForShortBuffers) {
    HKEY key = CreateKey(L"Software\\Vyr\\Sizes");
    const std::vector<BYTE> value = TextBytes(L"1.25", true);
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"IncrFactor", REG_SZ, value));

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"IncrFactor", nullptr, &type, nullptr, &size));
    EXPECT_EQ(value.size(), size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    BYTE small[8];
    size = sizeof small;
    type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, L"IncrFactor", nullptr, &type, small, &size));
    EXPECT_EQ(value.size(), size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    BYTE large[520];
    size = sizeof large;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"IncrFactor", nullptr, nullptr, large, &size));
    ASSERT_EQ(value.size(), size);
    EXPECT_EQ(value, std::vector<BYTE>(large, large + size));
    EXPECT_STREQ(L"1.25", reinterpret_cast<const wchar_t*>(large));

    std::vector<BYTE> exact(value.size());
    size = static_cast<DWORD>(exact.size());
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"IncrFactor", nullptr, nullptr, exact.data(), &size));
    EXPECT_EQ(value, exact);

    // Only asking whether it exists; a buffer without a size; a reserved argument.
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"IncrFactor", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, L"IncrFactor", nullptr, nullptr, large, nullptr));
    DWORD reserved = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, L"IncrFactor", &reserved, nullptr, nullptr, &size));
    RegCloseKey(key);
}

TEST_F(RegistryTest, CorruptStoreIsKeptAsideAndTheRegistryGoesOn) {
    const std::string garbage = "this is not a registry\n\x01\x02\xff";
    WriteFile(file_, garbage);

    vyrtest::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key));
    const std::string report = vyrtest::GetCapturedStderr();
    EXPECT_EQ(1, std::count(report.begin(), report.end(), '\n')) << report;
    EXPECT_NE(std::string::npos, report.find(file_)) << report;

    // The bytes are kept whole beside the store; the store itself is gone.
    std::set<std::string> files = FilesIn(dir_);
    std::string aside;
    for (const std::string& name : files)
        if (name.rfind("registry.corrupt-", 0) == 0) aside = name;
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(garbage, vyrtest::ReadFileBytes(dir_ + "/" + aside));
    EXPECT_EQ(0u, files.count("registry"));

    // The next write starts a fresh store.
    key = CreateKey(L"Software\\Vyr");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"After", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ(PodBytes<DWORD>(1), Get(key, L"After"));
    RegCloseKey(key);

    // A store that turns corrupt again is found by a write, and kept under a second name.
    WriteFile(file_, "VYR-REGISTRY 1\n[HKEY_NOWHERE\\x]\n");
    vyrtest::CaptureStderr();
    EXPECT_EQ(ERROR_SUCCESS, Set(HKEY_LOCAL_MACHINE, L"Root", REG_DWORD, PodBytes<DWORD>(2)));
    vyrtest::GetCapturedStderr();
    EXPECT_EQ(PodBytes<DWORD>(2), Get(HKEY_LOCAL_MACHINE, L"Root"));
    int asides = 0;
    for (const std::string& name : FilesIn(dir_))
        if (name.rfind("registry.corrupt-", 0) == 0) ++asides;
    EXPECT_EQ(2, asides);
    EXPECT_EQ(garbage, vyrtest::ReadFileBytes(dir_ + "/" + aside));
}

// A store file that is a symbolic link (a settings folder kept elsewhere) is written, and a corrupt
// one kept aside, where the link leads; the link stays.
TEST_F(RegistryTest, AStoreReachedThroughALinkIsWrittenWhereTheLinkLeads) {
    const std::string elsewhere = dir_ + "/elsewhere";
    ASSERT_EQ(0, mkdir(elsewhere.c_str(), 0755));
    ASSERT_EQ(0, symlink("elsewhere/registry", file_.c_str()));
    auto linkText = [this] {
        char text[256];
        const ssize_t n = readlink(file_.c_str(), text, sizeof text);
        return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
    };

    // The link leads nowhere yet: the first write makes the store there.
    EXPECT_EQ(ERROR_SUCCESS, Set(HKEY_LOCAL_MACHINE, L"First", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ("elsewhere/registry", linkText());
    EXPECT_EQ((std::set<std::string>{"registry"}), FilesIn(elsewhere));
    EXPECT_NE(std::string::npos, vyrtest::ReadFileBytes(elsewhere + "/registry").find("First"));
    EXPECT_EQ(ERROR_SUCCESS, Set(HKEY_LOCAL_MACHINE, L"Second", REG_DWORD, PodBytes<DWORD>(2)));
    EXPECT_EQ("elsewhere/registry", linkText());
    EXPECT_NE(std::string::npos, vyrtest::ReadFileBytes(elsewhere + "/registry").find("Second"));

    // A corrupt store is kept aside beside the file it is; the next write starts a fresh one there.
    const std::string garbage = "this is not a registry\n";
    WriteFile(elsewhere + "/registry", garbage);
    vyrtest::CaptureStderr();
    EXPECT_EQ(ERROR_SUCCESS, Set(HKEY_LOCAL_MACHINE, L"Third", REG_DWORD, PodBytes<DWORD>(3)));
    vyrtest::GetCapturedStderr();
    EXPECT_EQ("elsewhere/registry", linkText());
    std::string aside;
    for (const std::string& name : FilesIn(elsewhere))
        if (name.rfind("registry.corrupt-", 0) == 0) aside = name;
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(garbage, vyrtest::ReadFileBytes(elsewhere + "/" + aside));
    EXPECT_EQ(2u, FilesIn(elsewhere).size());
    EXPECT_EQ(PodBytes<DWORD>(3), Get(HKEY_LOCAL_MACHINE, L"Third"));
    EXPECT_TRUE(Get(HKEY_LOCAL_MACHINE, L"First").empty());
}

// A path of `depth` keys named "k" below the root, as a sub-key text.
std::wstring DeepPath(int depth) {
    std::wstring path = L"k";
    for (int i = 1; i < depth; ++i) path += L"\\k";
    return path;
}

TEST_F(RegistryTest, KeysMoreThan512LevelsDeepAreRefused) {
    HKEY deepest = CreateKey(DeepPath(512).c_str());
    ASSERT_NE(nullptr, deepest);
    ASSERT_EQ(ERROR_SUCCESS, Set(deepest, L"Depth", REG_DWORD, PodBytes<DWORD>(512)));

    HKEY key = nullptr;
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExW(deepest, L"k", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExW(HKEY_LOCAL_MACHINE, DeepPath(513).c_str(), 0, KEY_READ, &key));
    RegCloseKey(deepest);

    // The 512 levels were written and read back whole.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, DeepPath(512).c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(PodBytes<DWORD>(512), Get(key, L"Depth"));
    RegCloseKey(key);
}

TEST_F(RegistryTest, AStoreNamingAFarTooDeepKeyIsCorruptNotACrash) {
    // A hundred thousand levels: freeing or writing such a tree used to overflow the stack.
    std::string deep = "[HKEY_CURRENT_USER";
    for (int i = 0; i < 100000; ++i) deep += "\\a";
    const std::string store = "VYR-REGISTRY 1\n[HKEY_LOCAL_MACHINE\\Software]\n\"Kept\"=REG_DWORD:01 00 00 00\n" +
                              deep + "]\n\"Deep\"=REG_DWORD:02 00 00 00\n";
    WriteFile(file_, store);

    vyrtest::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key));
    const std::string report = vyrtest::GetCapturedStderr();
    EXPECT_NE(std::string::npos, report.find("deeper than 512")) << report;

    std::string aside;
    for (const std::string& name : FilesIn(dir_))
        if (name.rfind("registry.corrupt-", 0) == 0) aside = name;
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(store, vyrtest::ReadFileBytes(dir_ + "/" + aside));

    // Writing starts a fresh store.
    EXPECT_EQ(ERROR_SUCCESS, Set(HKEY_CURRENT_USER, L"After", REG_DWORD, PodBytes<DWORD>(3)));
    EXPECT_EQ(PodBytes<DWORD>(3), Get(HKEY_CURRENT_USER, L"After"));
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFiles) {
    HKEY key = CreateKey(L"Software\\Vyr\\Many");
    for (int i = 0; i < 40; ++i) {
        const std::wstring name = L"V" + std::to_wstring(i % 7);
        ASSERT_EQ(ERROR_SUCCESS, Set(key, name.c_str(), REG_DWORD, PodBytes<DWORD>(static_cast<DWORD>(i))));
    }
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, L"V0"));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Many"));
    EXPECT_EQ((std::set<std::string>{"registry", "registry.lock"}), FilesIn(dir_));

    // A store that cannot be written (its folder is a file) answers an error and
    // leaves nothing behind.
    WriteFile(dir_ + "/plain", "x");
    registry_.Use(dir_ + "/plain/registry");
    vyrtest::CaptureStderr();
    EXPECT_EQ(ERROR_CANTWRITE, Set(HKEY_LOCAL_MACHINE, L"Lost", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_FALSE(vyrtest::GetCapturedStderr().empty());
    EXPECT_EQ((std::set<std::string>{"plain", "registry", "registry.lock"}), FilesIn(dir_));
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
    HKEY key = CreateKey(L"Software\\MixedCase\\Sub");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"ValueName", REG_DWORD, PodBytes<DWORD>(1)));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\mixedcase\\sUB", 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(PodBytes<DWORD>(1), Get(key, L"VALUENAME"));
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"valuename", REG_DWORD, PodBytes<DWORD>(2)));
    EXPECT_EQ(PodBytes<DWORD>(2), Get(key, L"ValueName"));
    RegCloseKey(key);

    DWORD disposition = 0;
    key = CreateKey(L"software\\MIXEDCASE", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(key);

    // Latin-1, Greek and Cyrillic capitals match their small letters.
    key = CreateKey(L"Software\\\u00c4rger\\\u03a3\u0399\u03a3\u03a5\u03a6\u039f\u03a3\\\u0416");
    RegCloseKey(key);
    const wchar_t* lower = L"software\\\u00e4rger\\\u03c3\u03b9\u03c3\u03c5\u03c6\u03bf\u03c3\\\u0436";
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, lower, 0, KEY_READ, &key));
    RegCloseKey(key);

    const std::string text = vyrtest::ReadFileBytes(file_);
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\Software\\MixedCase\\Sub]\n\"ValueName\"=")) << text;
    EXPECT_EQ(std::string::npos, text.find("MIXEDCASE")) << text;
    EXPECT_EQ(std::string::npos, text.find("valuename")) << text;
}

TEST_F(RegistryTest, NamesWithAnyCharacterSurviveTheFile) {
    const std::wstring keyName = L"Software\\we]ird [key] %{41} \"q\"";
    const std::wstring names[] = {L"quote\"inside", L"100%", L"[x]=y", L"back\\slash", L"line\nbreak\ttab",
                                  L"\U0001F600 \u00e9", std::wstring(1, static_cast<wchar_t>(0xD800)), L"@",
                                  L"; not a comment"};
    HKEY key = CreateKey(keyName.c_str());
    DWORD n = 0;
    for (const std::wstring& name : names) ASSERT_EQ(ERROR_SUCCESS, Set(key, name.c_str(), REG_DWORD, PodBytes(++n)));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_READ, &key));
    n = 0;
    for (const std::wstring& name : names) EXPECT_EQ(PodBytes(++n), Get(key, name.c_str())) << n;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
    EXPECT_EQ((std::set<std::string>{"registry", "registry.lock"}), FilesIn(dir_));
}

TEST_F(RegistryTest, NamesFromUtf16AreStoredAsTheirCodePoints) {
    const wchar_t keyName[] = {L'S', L'\\', L'k', 0xD83D, 0xDE00, 0};
    const wchar_t valueName[] = {L'v', 0xD83D, 0xDE00, 0};
    HKEY key = CreateKey(keyName);
    ASSERT_EQ(ERROR_SUCCESS, Set(key, valueName, REG_DWORD, PodBytes<DWORD>(5)));
    RegCloseKey(key);

    // The file shows the one code point, as every other file of the system does.
    const std::string text = vyrtest::ReadFileBytes(file_);
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\S\\k\xF0\x9F\x98\x80]\n\"v\xF0\x9F\x98\x80\"=")) << text;
    // The same names, spelled either way, in this process and in another.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"S\\k\U0001F600", 0, KEY_READ, &key));
    EXPECT_EQ(PodBytes<DWORD>(5), Get(key, L"v\U0001F600"));
    EXPECT_EQ(PodBytes<DWORD>(5), Get(key, valueName));
    RegCloseKey(key);
    EXPECT_EQ(0, RunProbe({"expect", "S\\k\xF0\x9F\x98\x80", "v\xF0\x9F\x98\x80", "4", "05000000"}));
    // Setting it through the other spelling replaces the value instead of adding a second.
    key = CreateKey(L"S\\k\U0001F600");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"v\U0001F600", REG_DWORD, PodBytes<DWORD>(6)));
    EXPECT_EQ(PodBytes<DWORD>(6), Get(key, valueName));
    RegCloseKey(key);
    const std::string after = vyrtest::ReadFileBytes(file_);
    EXPECT_EQ(after.find("\"v\xF0"), after.rfind("\"v\xF0")) << after;

    // Bytes that are not UTF-8 in a name make the file corrupt: it is kept aside whole rather
    // than read with names that would no longer match.
    WriteFile(file_, "VYR-REGISTRY 1\n[HKEY_LOCAL_MACHINE\\S]\n\"caf\xE9\"=REG_DWORD:01 00 00 00\n");
    vyrtest::CaptureStderr();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"S", 0, KEY_READ, &key));
    EXPECT_NE(std::string::npos, vyrtest::GetCapturedStderr().find("corrupt"));
}

TEST_F(RegistryTest, AHandWrittenStoreIsRead) {
    WriteFile(file_,
              "; written by hand\r\n"
              "\r\n"
              "VYR-REGISTRY 1\r\n"
              "[HKEY_CURRENT_USER\\Software\\Hand]\r\n"
              "  \"Rate\" = REG_DWORD: 0F 00 00 00  \r\n"
              "@=REG_SZ:41 00 00 00 00 00 00 00\r\n"
              "\"Raw\"=0x0000ABCD:\r\n"
              "[HKEY_CURRENT_USER\\Software\\Hand\\Empty]\n");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Hand", 0, KEY_READ, &key));
    EXPECT_EQ(PodBytes<DWORD>(15), Get(key, L"Rate"));
    EXPECT_EQ(TextBytes(L"A", true), Get(key, nullptr));
    DWORD type = 0;
    EXPECT_TRUE(Get(key, L"Raw", &type).empty());
    EXPECT_EQ(0xABCDu, type);
    HKEY empty = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(key, L"Empty", 0, KEY_READ, &empty));
    RegCloseKey(empty);
    RegCloseKey(key);
}

TEST_F(RegistryTest, BadHandlesAndArgumentsAnswerErrors) {
    HKEY key = CreateKey(L"Software\\Vyr\\Args");
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(0x1234)));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(key));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegFlushKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(key, L"x", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, Set(key, L"x", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExW(nullptr, L"Software", 0, KEY_READ, &key));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, nullptr, 0, KEY_READ, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExW(HKEY_LOCAL_MACHINE, L"x", 0, REG_DWORD, nullptr, 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"\\Software", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\\\Vyr", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Args\\", 0, KEY_READ, &key));

    // Rights: a read-only handle cannot change values, a write-only one cannot read them.
    EXPECT_EQ(ERROR_ACCESS_DENIED, Set(key, L"x", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueW(key, L"x"));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Args", 0, KEY_SET_VALUE, &key));
    EXPECT_EQ(ERROR_SUCCESS, Set(key, L"x", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExW(key, L"x", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletedKeysDisappearAndTheirHandlesSaySo) {
    HKEY child = CreateKey(L"Software\\Vyr\\Parent\\Child");
    ASSERT_EQ(ERROR_SUCCESS, Set(child, L"v", REG_DWORD, PodBytes<DWORD>(1)));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Parent"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L""));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"software\\vyr\\parent\\CHILD"));

    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(child, L"v", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_KEY_DELETED, Set(child, L"v", REG_DWORD, PodBytes<DWORD>(2)));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Parent\\Child", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr\\Parent", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vyr", 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST(RegistryLocationTest, WithoutTheVariableTheStoreLivesInTheConfigFolder) {
    const std::string dir = vyrtest::ScratchDir();
    const std::string config = dir + "/config";
    const std::string home = dir + "/home";
    vyrtest::ScopedEnv file("VYR_REGISTRY_FILE", nullptr);
    vyrtest::ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
    vyrtest::ScopedEnv homeEnv("HOME", home.c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(HKEY_CURRENT_USER, L"A", 0, REG_NONE, nullptr, 0));
    struct stat info;
    EXPECT_EQ(0, stat((dir + "/config/vyr-display/registry").c_str(), &info));

    // A relative XDG_CONFIG_HOME does not count: the home folder's .config is used.
    xdg.Set("relative");
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(HKEY_CURRENT_USER, L"B", 0, REG_NONE, nullptr, 0));
    EXPECT_EQ(0, stat((dir + "/home/.config/vyr-display/registry").c_str(), &info));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(HKEY_CURRENT_USER, L"A", nullptr, nullptr, nullptr, nullptr));
}

}  // namespace

TEST_F(RegistryTest, DeletedValuesLeaveTheOthersInPlaceAndInTheFile) {
    HKEY key = CreateKey(L"Software\\Vyr\\Many");
    for (DWORD i = 0; i < 6; ++i) {
        const std::wstring name = L"Value" + std::to_wstring(i);
        ASSERT_EQ(ERROR_SUCCESS, Set(key, name.c_str(), REG_DWORD, PodBytes<DWORD>(i)));
    }
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, L"VALUE1"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, L"Value1"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, L"value4"));
    // A value set again after a deletion comes last and is found under any case.
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Value1", REG_DWORD, PodBytes<DWORD>(11)));
    const std::vector<std::pair<const wchar_t*, DWORD>> expected = {
        {L"value0", 0}, {L"VALUE1", 11}, {L"Value2", 2}, {L"value3", 3}, {L"VALUE5", 5}};
    for (const auto& [name, number] : expected) EXPECT_EQ(Get(key, name), PodBytes<DWORD>(number)) << "value " << number;
    LONG status = ERROR_SUCCESS;
    EXPECT_TRUE(Get(key, L"Value4", nullptr, &status).empty());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, status);
    RegCloseKey(key);

    // The file keeps the order the values were first set in.
    const std::string text = vyrtest::ReadFileBytes(file_);
    const size_t v0 = text.find("Value0"), v2 = text.find("Value2"), v3 = text.find("Value3"),
                 v5 = text.find("Value5"), v1 = text.find("Value1");
    ASSERT_NE(v1, std::string::npos);
    EXPECT_LT(v0, v2);
    EXPECT_LT(v2, v3);
    EXPECT_LT(v3, v5);
    EXPECT_LT(v5, v1);
    EXPECT_EQ(text.find("Value4"), std::string::npos);
}
