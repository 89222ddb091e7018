// Text files from outside: `q730 print FILE` takes any file a user names
// (UTF-8 with or without its mark, Shift-JIS, UTF-16, binary by mistake),
// paginates it to the job's paper and prints it.
//
// The command runs in this process: its main is compiled in under the name
// q730_main. Input: the file's bytes. What must hold besides no fault: the
// command answers 0 with a job in the output file, or 1 with a message and
// no output file, never anything else.
#include "tests/fuzz/fuzz.h"

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

int q730_main(int argc, char** argv);

namespace {

std::string g_in, g_out;

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    CreateDirectoryW(u"C:\\fuzz", nullptr);
    g_in = PlatHostPath(u"C:\\fuzz\\in.txt");
    g_out = PlatHostPath(u"C:\\fuzz\\out.prn");
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    if (!FuzzWriteFile(u"C:\\fuzz\\in.txt", pData, cbData))
        FuzzFail("the input file cannot be written");
    std::error_code ec;
    std::filesystem::remove(g_out, ec);
    std::string printer = "QX-730 Fuzz";
    const char* argv[] = {"q730", "print", "--printer", printer.c_str(), "--output", g_out.c_str(),
                          g_in.c_str(), nullptr};
    // The command's messages would fill the log: both streams go to
    // /dev/null while it runs.
    fflush(stdout);
    fflush(stderr);
    int fdOut = dup(1), fdErr = dup(2);
    int fdNull = open("/dev/null", O_WRONLY);
    dup2(fdNull, 1);
    dup2(fdNull, 2);
    int rc = q730_main(7, const_cast<char**>(argv));
    fflush(stdout);
    fflush(stderr);
    dup2(fdOut, 1);
    dup2(fdErr, 2);
    close(fdNull);
    close(fdOut);
    close(fdErr);
    bool bOut = std::filesystem::exists(g_out, ec) && std::filesystem::file_size(g_out, ec) > 0;
    if (rc == 0 && !bOut)
        FuzzFail("q730 print answered success without a job");
    if (rc != 0 && rc != 1)
        FuzzFail("q730 print answered a usage error for a file it was given");
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    pSeeds->push_back("Monthly report\nLine two\tafter a tab\n\fPage two\n");
    pSeeds->push_back("\xEF\xBB\xBF" "Caf\xC3\xA9 \xE2\x82\xAC\r\n");
    pSeeds->push_back("\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\n");  // Shift-JIS
    std::u16string w = u"\xFEFFUTF-16 text\r\n\x65E5\x672C\r\n";
    pSeeds->push_back(std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2));
    pSeeds->push_back(std::string(300, 'x') + "\n" + std::string(5, '\f'));
    pSeeds->push_back(std::string("\0\x01\x02\xFF\xFE\x80", 6));
    pSeeds->push_back("");
}
