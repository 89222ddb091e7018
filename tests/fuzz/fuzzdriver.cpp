// A small mutation driver for the fuzz targets where libFuzzer is not used
// (the normal build, compiled by g++). It takes libFuzzer's command line for
// what both understand, so that tools/fuzz.sh runs either kind:
//
//   fuzz_NAME [-runs=N] [-seed=S] [-max_total_time=SECONDS] [-timeout=SECONDS]
//             [-artifact_prefix=PATH] [-make_seeds=DIR] [DIR | FILE]...
//
// Files alone are run once each (to replay a finding). Folders are read as
// the corpus (the target's own seeds when they hold nothing), every input in
// it is run once, and then mutants of them: N of them, or until the time is
// up. The same seed always gives the same mutants. A crash, a sanitizer
// report, an abort, a leak the harness finds or a case running longer than
// the timeout leaves the input in ARTIFACT_PREFIX{crash,leak,timeout}-RUN
// and ends the program.
//
// The mutants: bit flips, bytes and 16/32-bit words set to boundary values,
// runs of bytes inserted, deleted, copied within the input or spliced from
// another input, the input cut short or extended. One in 32 mutants joins
// the pool that later mutants start from, so changes pile up.
#include "tests/fuzz/fuzz.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData);
extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));

namespace {

const size_t kMaxInput = 64 * 1024;
const size_t kMaxPool = 512;

std::string g_artifactPrefix = "./";
std::string g_current;  // the input being run
unsigned long long g_run = 0;

// What a finding needs, ready before each case: the input's bytes and the
// names its reproducer is saved under. The report runs in a signal handler
// or in a sanitizer's death callback, where the heap and stdio may be in any
// state, so it uses nothing but open, write and close on these.
const char* volatile g_pCurrent = nullptr;
volatile size_t g_cbCurrent = 0;
char g_szCrash[4096];
char g_szTimeout[4096];
char g_szLeak[4096];
volatile sig_atomic_t g_bSaved = 0;

void _Name(char* psz, size_t cch, const char* pszKind)
{
    snprintf(psz, cch, "%s%s-%llu", g_artifactPrefix.c_str(), pszKind, g_run);
}

void _Say(const char* psz)
{
    size_t n = 0;
    while (psz[n])
        ++n;
    while (n > 0) {
        ssize_t w = write(2, psz, n);
        if (w <= 0)
            break;
        psz += w;
        n -= (size_t)w;
    }
}

// Saves the current input in pszPath, once per process: the first finding
// is the one that counts, and what follows it (an abort after a reported
// leak, a sanitizer's death callback after our own signal) keeps that file.
void _SaveTo(const char* pszPath)
{
    if (g_bSaved || !g_pCurrent)
        return;
    g_bSaved = 1;
    int fd = open(pszPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        _Say("==fuzz== the input cannot be saved in ");
        _Say(pszPath);
        _Say("\n");
        return;
    }
    const char* p = g_pCurrent;
    size_t n = g_cbCurrent;
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w <= 0)
            break;
        p += w;
        n -= (size_t)w;
    }
    close(fd);
    _Say("==fuzz== input saved in ");
    _Say(pszPath);
    _Say("\n");
}

void _OnDeath() { _SaveTo(g_szCrash); }

void _OnSignal(int sig)
{
    if (sig == SIGALRM) {
        _SaveTo(g_szTimeout);
        _Say("==fuzz== FINDING: a case ran past the timeout\n");
        sig = SIGABRT;
    } else {
        _SaveTo(g_szCrash);
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

std::string _ReadFile(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

struct Mutator {
    std::mt19937 rng;
    explicit Mutator(unsigned seed) : rng(seed) {}
    size_t Below(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; }

    void Once(std::string& s, const std::vector<std::string>& pool)
    {
        static const uint32_t kWords[] = {0,          1,          2,          0x7F,       0x80,
                                          0xFF,       0x100,      0x7FFF,     0x8000,     0xFFFF,
                                          0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE,
                                          0x40000000, 1000,       10000,      32767,      65536 * 16};
        if (s.empty()) {
            s.push_back((char)Below(256));
            return;
        }
        size_t at = Below(s.size());
        switch (Below(10)) {
        case 0: s[at] ^= (char)(1u << Below(8)); break;
        case 1: s[at] = (char)Below(256); break;
        case 2: s[at] = (char)kWords[Below(std::size(kWords))]; break;
        case 3:
        case 4: {
            uint32_t w = kWords[Below(std::size(kWords))];
            if (Below(2))
                w = (uint32_t)(0 - w);
            size_t n = Below(2) ? 2 : 4;
            for (size_t i = 0; i < n && at + i < s.size(); ++i)
                s[at + i] = (char)(w >> (8 * i));
            break;
        }
        case 5: {
            size_t n = 1 + Below(std::min<size_t>(s.size() - at, 64));
            s.erase(at, n);
            break;
        }
        case 6: {
            size_t n = 1 + Below(64);
            std::string ins;
            for (size_t i = 0; i < n; ++i)
                ins.push_back(Below(4) ? (char)Below(256) : s[Below(s.size())]);
            s.insert(at, ins);
            break;
        }
        case 7: {
            size_t from = Below(s.size());
            size_t n = 1 + Below(std::min<size_t>(s.size() - from, 128));
            std::string part = s.substr(from, n);
            s.replace(at, std::min(part.size(), s.size() - at), part);
            break;
        }
        case 8: {
            const std::string& other = pool[Below(pool.size())];
            if (other.empty())
                break;
            size_t from = Below(other.size());
            size_t n = 1 + Below(std::min<size_t>(other.size() - from, 256));
            s.replace(at, std::min(n, s.size() - at), other.substr(from, n));
            break;
        }
        default:
            if (Below(2))
                s.resize(at);
            else
                s.append(1 + Below(256), (char)Below(256));
            break;
        }
        if (s.size() > kMaxInput)
            s.resize(kMaxInput);
    }
};

bool _Flag(const char* arg, const char* name, std::string* pValue)
{
    size_t n = strlen(name);
    if (strncmp(arg, name, n) != 0 || arg[n] != '=')
        return false;
    *pValue = arg + n + 1;
    return true;
}

}  // namespace

// The harness's leak check saves the case here before it says anything.
void FuzzSaveFinding(const char* pszKind)
{
    if (strcmp(pszKind, "leak") == 0)
        _SaveTo(g_szLeak);
    else
        _SaveTo(g_szCrash);
}

int main(int argc, char** argv)
{
    unsigned long long cRuns = 0;
    bool bRunsGiven = false;
    unsigned seed = 1;
    double dMaxSeconds = 0;
    unsigned uTimeout = 25;
    std::string makeSeeds;
    std::vector<std::string> dirs, files;
    for (int i = 1; i < argc; ++i) {
        std::string v;
        if (_Flag(argv[i], "-runs", &v))
            cRuns = std::stoull(v), bRunsGiven = true;
        else if (_Flag(argv[i], "-seed", &v))
            seed = (unsigned)std::stoul(v);
        else if (_Flag(argv[i], "-max_total_time", &v))
            dMaxSeconds = std::stod(v);
        else if (_Flag(argv[i], "-timeout", &v))
            uTimeout = (unsigned)std::stoul(v);
        else if (_Flag(argv[i], "-artifact_prefix", &v))
            g_artifactPrefix = v;
        else if (_Flag(argv[i], "-make_seeds", &v))
            makeSeeds = v;
        else if (argv[i][0] == '-')
            continue;  // libFuzzer flags this driver has no use for
        else if (std::filesystem::is_directory(argv[i]))
            dirs.push_back(argv[i]);
        else
            files.push_back(argv[i]);
    }

    LLVMFuzzerInitialize(&argc, &argv);

    // Without a time and without a count, a thousand mutants; with a time
    // alone, as many as the time allows.
    if (!bRunsGiven && dMaxSeconds <= 0)
        cRuns = 1000;

    if (!makeSeeds.empty()) {
        std::vector<std::string> seeds;
        FuzzSeeds(&seeds);
        std::filesystem::create_directories(makeSeeds);
        for (size_t i = 0; i < seeds.size(); ++i) {
            char name[32];
            snprintf(name, sizeof(name), "seed-%03zu", i + 1);
            std::ofstream f(std::filesystem::path(makeSeeds) / name, std::ios::binary);
            f << seeds[i];
        }
        printf("%zu seeds written to %s\n", seeds.size(), makeSeeds.c_str());
        return 0;
    }

    // Under a sanitizer its own handler reports a fault (with the stack)
    // and then calls _OnDeath; without one ours saves the input.
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(_OnDeath);
    std::vector<int> signals = {SIGABRT, SIGILL, SIGALRM};
    if (!__sanitizer_set_death_callback)
        signals.insert(signals.end(), {SIGSEGV, SIGBUS, SIGFPE});
    for (int sig : signals)
        signal(sig, _OnSignal);

    auto run = [&](const std::string& input) {
        g_pCurrent = nullptr;
        g_current = input;
        ++g_run;
        _Name(g_szCrash, sizeof(g_szCrash), "crash");
        _Name(g_szTimeout, sizeof(g_szTimeout), "timeout");
        _Name(g_szLeak, sizeof(g_szLeak), "leak");
        g_cbCurrent = g_current.size();
        g_pCurrent = g_current.data();
        alarm(uTimeout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(g_current.data()), g_current.size());
        alarm(0);
    };

    if (!files.empty() && dirs.empty()) {
        for (const std::string& f : files) {
            run(_ReadFile(f));
            printf("Executed %s\n", f.c_str());
        }
        return 0;
    }

    std::vector<std::string> pool;
    for (const std::string& d : dirs) {
        std::vector<std::filesystem::path> names;
        for (const auto& e : std::filesystem::directory_iterator(d))
            if (e.is_regular_file())
                names.push_back(e.path());
        std::sort(names.begin(), names.end());
        for (const auto& n : names)
            pool.push_back(_ReadFile(n));
    }
    for (const std::string& f : files)
        pool.push_back(_ReadFile(f));
    if (pool.empty())
        FuzzSeeds(&pool);
    if (pool.empty())
        pool.push_back(std::string());
    const size_t cSeeds = pool.size();

    auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (const std::string& s : std::vector<std::string>(pool))
        run(s);

    Mutator m(seed);
    unsigned long long cMutants = 0;
    while (dMaxSeconds > 0 ? elapsed() < dMaxSeconds : cMutants < cRuns) {
        if (dMaxSeconds > 0 && bRunsGiven && cMutants >= cRuns)
            break;
        std::string s = pool[m.Below(pool.size())];
        for (size_t n = 1 + m.Below(4); n > 0; --n)
            m.Once(s, pool);
        run(s);
        ++cMutants;
        if (m.Below(32) == 0) {
            if (pool.size() < kMaxPool)
                pool.push_back(s);
            else if (kMaxPool > cSeeds)
                pool[cSeeds + m.Below(kMaxPool - cSeeds)] = s;
        }
    }
    double secs = elapsed();
    printf("Done %llu runs in %.0f second(s) (%llu mutants, %zu seeds, seed %u)\n", g_run, secs,
           cMutants, cSeeds, seed);
    return 0;
}
