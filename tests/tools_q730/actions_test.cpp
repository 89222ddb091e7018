// The actions of "q730 preferences" on the real driver's pages, run as a
// program: controls named as a person names them, the Save/Recall menu and
// the settings library end to end, and mistakes that say what is there.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Has(const std::string& text, const std::string& what)
{
    return text.find(what) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string PjlLine(const std::string& job, const std::string& key)
{
    size_t at = job.find("@PJL SET " + key + " = ");
    return at == std::string::npos ? "" : job.substr(at, job.find('\n', at) - at);
}

// Prints the sample document into FILE in the root and answers the job.
std::string Print(const std::string& file)
{
    RunResult r = RunQ730("print --output " + file);
    EXPECT_EQ(r.iExit, 0) << r.strErr;
    return ReadFile(TestRootFile(file));
}

// Whether the user has a default of their own for the printer (OK on the
// preferences made one).
bool HasUserDefault()
{
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &h, nullptr));
    DWORD cb = 0;
    GetPrinterW(h, 9, nullptr, 0, &cb);
    std::string buf(cb ? cb : 4, '\0');
    EXPECT_TRUE(GetPrinterW(h, 9, (LPBYTE)&buf[0], cb, &cb));
    ClosePrinter(h);
    return ((PRINTER_INFO_9W*)&buf[0])->pDevMode != nullptr;
}

// ---- mistakes ------------------------------------------------------------------------

struct MISTAKE {
    const char* name;
    const char* args;
    const char* message;  // on standard error
};

class Q730Mistakes : public testing::TestWithParam<MISTAKE> {};

TEST_P(Q730Mistakes, ExitTwoSayWhyAndSaveNothing)
{
    TestNewRoot();
    RunResult r = RunQ730(std::string("preferences ") + GetParam().args);
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    EXPECT_TRUE(Has(r.strErr, GetParam().message)) << r.strErr;
    EXPECT_TRUE(Has(r.strErr, "the printing preferences were cancelled: nothing was saved")) << r.strErr;
    EXPECT_FALSE(HasUserDefault());
}

INSTANTIATE_TEST_SUITE_P(
    Preferences, Q730Mistakes,
    testing::Values(
        // Typing what the field refuses.
        MISTAKE{"LettersInANumberField", "--type Copies=abc",
                "--type \"Copies=abc\": the field refused \"abc\": it takes digits only, not \"a\""},
        MISTAKE{"TooLongForTheField", "--type Copies=10000",
                "--type \"Copies=10000\": the field refused \"10000\": it takes at most 4 characters"},
        MISTAKE{"ANegativeNumber", "--type Copies=-3",
                "--type \"Copies=-3\": the field refused \"-3\": it takes digits only, not \"-\""},
        MISTAKE{"ALeadingZero", "--type Copies=05",
                "--type \"Copies=05\": the field refused \"05\": it does not take \"0\" as the first character"},
        MISTAKE{"AnUpDownOutOfItsRange", "--set Copies=0", "--set \"Copies=0\": the up-down control goes from 1 to 9999"},
        MISTAKE{"APositionOfAList", "--set Orientation=2", "--set \"Orientation=2\": the control has no position"},
        // What is there, when the label or item is not.
        MISTAKE{"AnItemNotOffered", "--choose 'Original size=B4'",
                "--choose \"Original size=B4\": no item \"B4\"; the list offers \"A3\", \"A4\", \"A5\", \"A6\", "
                "\"B4 (JIS)\", "},
        MISTAKE{"ALabelNotThere", "--check Nup",
                "--check \"Nup\": control \"Nup\" is not there; the window shows \"N-up\", "},
        MISTAKE{"APageNotThere", "--page Layout",
                "--page \"Layout\": no tab \"Layout\"; the tabs are \"Setup\", \"Cover / Insert\", \"Finishing\", "},
        MISTAKE{"ALabelTwoControlsShare", "--page 'Cover / Insert' --check Printed",
                "--check \"Printed\": \"Printed\" names 2 controls; say which: \"Front cover/Printed\", "
                "\"Back cover/Printed\""},
        MISTAKE{"APrefixOfSeveralLabels", "--page 'Cover / Insert' --check Back",
                "--check \"Back\": several labels begin with \"Back\": \"Back cover\", \"Back cover paper source\", "},
        // A button that opens a menu, and the menu's items.
        MISTAKE{"ClickOnAMenuButton", "--click Save/Recall",
                "--click \"Save/Recall\": the button opens a menu; choose one of its items: \"Save Settings...\", "
                "\"Recall Settings...\", \"Organize Settings\", \"Recall Details...\""},
        MISTAKE{"AMenuItemNotThere", "--menu 'Save/Recall>Print'",
                "--menu \"Save/Recall>Print\": no item \"Print\"; the menu offers \"Save Settings...\", "},
        MISTAKE{"AMenuOfAControlWithout", "--menu 'Sort>Save'", "--menu \"Sort>Save\": the control opened no menu"},
        // The failing action inside a dialog is named, not the one that
        // opened the dialog.
        MISTAKE{"AFailureInsideADialogNamesItsAction", "--check 'Confidential print' --type Nope=1",
                "--type \"Nope=1\": control \"Nope\" is not there"}),
    [](const testing::TestParamInfo<MISTAKE>& i) { return std::string(i.param.name); });

// A tick the page refuses after asking is asked once, not once for every
// click a person might try.
TEST(Q730Actions, ARefusedTickAsksOnce)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --page Finishing --answer no --check 'Production print'");
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    EXPECT_EQ(Count(r.strOut, "message box \"Production print\""), 1u) << r.strOut;
    EXPECT_TRUE(Has(r.strErr, "--check \"Production print\": the box did not take the state")) << r.strErr;
}

// After a failure the pictures taken so far stay, and the window the
// failure left is pictured too.
TEST(Q730Actions, AFailureStillPicturesWhatWasSeen)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --png pics --menu 'Save/Recall>Save Settings' --type 'Name=a.b' --ok");
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    for (const char* name : {"dialog-01-Save-Settings.png", "message-01.png", "failed-Save-Settings.png"})
        EXPECT_EQ(ReadFile(TestRootFile(std::string("pics/") + name)).substr(0, 4), "\x89PNG") << name << r.strOut;
    // The name with a dot was refused when the field was left, as the
    // dialog's message box said.
    EXPECT_TRUE(Has(r.strErr, "--type \"Name=a.b\": the field refused \"a.b\" when it was left: \"The name contains"))
        << r.strErr;
}

// OK that a dialog refuses is a failed action.
TEST(Q730Actions, OkThatLeavesTheDialogOpenFails)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --menu 'Save/Recall>Save Settings' --ok");
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    EXPECT_EQ(Count(r.strOut, "message box \"Save Settings\""), 1u) << r.strOut;
    EXPECT_TRUE(Has(r.strErr, "--ok: the dialog \"Save Settings\" stayed open: it did not take what it holds"))
        << r.strErr;
    EXPECT_FALSE(HasUserDefault());
}

// ---- naming controls ------------------------------------------------------------------

// A label qualified by its row, the list without a label of its own under
// "Order / border", an up-down moved to a number and a long label by its
// beginning all reach the next job.
TEST(Q730Actions, ControlsNamedAsAPersonNamesThemReachTheJob)
{
    TestNewRoot();
    const std::string plain = Print("plain.prn");
    RunResult r = RunQ730("preferences --check N-up --choose 'Order / border=Lines only' --set Copies=3 "
                       "--page 'Cover / Insert' --check 'Back cover' --check 'Back cover/Printed'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    const std::string job = Print("named.prn");
    EXPECT_EQ(PjlLine(job, "COPIES"), "@PJL SET COPIES = 3");
    EXPECT_EQ(PjlLine(job, "BACKCOVER"), "@PJL SET BACKCOVER = ON");
    EXPECT_EQ(PjlLine(job, "BACKPRINT"), "@PJL SET BACKPRINT = ON");
    EXPECT_EQ(PjlLine(plain, "BACKPRINT"), "@PJL SET BACKPRINT = OFF");
    EXPECT_EQ(Count(job, "prn;"), 2u);

    // The border list is the one under "Order / border" that offers the
    // item: without lines the same two-up job has fewer drawing commands.
    r = RunQ730("preferences --choose 'Order / border=None' --set Copies=3");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    const std::string unlined = Print("unlined.prn");
    EXPECT_EQ(Count(unlined, "prn;"), 2u);
    EXPECT_LT(unlined.size(), job.size());

    // "Production print" stands for the one label that begins so.
    r = RunQ730("preferences --page Finishing --answer yes --check 'Production print' --check Duplex");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_EQ(PjlLine(Print("duplex.prn"), "DUPLEX"), "@PJL SET DUPLEX = ON");
}

// The sheets of a job in order: 'X' for a sheet with no text on it (an
// insert sheet), '-' for a page of the sample document.
std::string BlankSheets(const std::string& job)
{
    std::string out;
    size_t from = 0;
    for (size_t end = job.find("prn;", from); end != std::string::npos; end = job.find("prn;", from)) {
        out += job.substr(from, end - from).find("txo ") == std::string::npos ? 'X' : '-';
        from = end + 4;
    }
    return out;
}

// A row of a list view, by the text a person reads in it: the insert sheet
// in front of page 4 selected and deleted leaves the other one.
TEST(Q730Actions, ARowOfAListViewIsSelectedByItsText)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --page 'Cover / Insert' --check 'Use insert sheets' --click Add... --type Pages=2 "
                       "--ok --click Add... --type Pages=4 --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_EQ(BlankSheets(Print("two.prn")), "-X--X-");
    r = RunQ730("preferences --page 'Cover / Insert' --select 'Insert sheet list=3' --click Delete");
    EXPECT_EQ(r.iExit, 2);
    EXPECT_TRUE(Has(r.strErr, "no item \"3\"; the lists offer \"List 1\", ")) << r.strErr;
    EXPECT_TRUE(Has(r.strErr, "; and \"Document\", \"2\", \"4\"")) << r.strErr;
    r = RunQ730("preferences --page Cover --select 'Insert sheet list=4' --click Delete");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    // The sheet that stays is the blank one in front of page 2.
    EXPECT_EQ(BlankSheets(Print("one.prn")), "-X---");
}

// ---- the settings library ---------------------------------------------------------------

// A set saved under a name, the settings changed, the set recalled: the
// job is the one printed before the change, through the recall dialog and
// through the menu's own entry.
TEST(Q730Library, ARecalledSetPrintsTheJobItWasSavedFrom)
{
    TestNewRoot();
    const char* kSet = "preferences --choose 'Original size=A3' --choose 'Output size=A3' --check N-up "
                       "--choose 'Order / border=Lines only' --set Copies=3 "
                       "--page 'Cover / Insert' --check 'Back cover' --check 'Back cover/Printed'";
    const char* kChange = "preferences --choose 'Original size=A4' --choose 'Output size=A4' --uncheck N-up "
                          "--type Copies=1 --page 'Cover / Insert' --uncheck 'Back cover'";
    RunResult r = RunQ730(kSet);
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    const std::string before = Print("before.prn");

    r = RunQ730("preferences --menu 'Save/Recall>Save Settings' --type 'Name=Draft' --type 'Comment=three on A3' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "dialog \"Save Settings\" opened")) << r.strOut;
    // The menu lists the set now.
    RunResult menu = RunQ730("preferences --click Save/Recall");
    EXPECT_TRUE(Has(menu.strErr, "\"Organize Settings\", \"Draft\", \"Recall Details...\"")) << menu.strErr;
    // Saving the set left the settings as they were.
    EXPECT_EQ(Print("saved.prn"), before);

    ASSERT_EQ(RunQ730(kChange).iExit, 0);
    const std::string changed = Print("changed.prn");
    ASSERT_NE(changed, before);
    EXPECT_EQ(PjlLine(changed, "COPIES"), "@PJL SET COPIES = 1");

    // The recall dialog, with the paper size and copies among what a recall
    // brings back.
    r = RunQ730("preferences --menu 'Save/Recall>Recall Settings' --click 'Recall details' --check 'Original size' --ok "
             "--select 'Saved settings=Draft' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "dialog \"Recall Details\" opened")) << r.strOut;
    EXPECT_EQ(Print("recalled.prn"), before);

    // The menu's entry of the set recalls it at once.
    ASSERT_EQ(RunQ730(kChange).iExit, 0);
    EXPECT_EQ(Print("changed2.prn"), changed);
    r = RunQ730("preferences --menu 'Save/Recall>Recall Details' --check 'Original size' --ok --menu 'Save/Recall>Draft'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_EQ(Print("quick.prn"), before);

    // A row the recall dialog does not list: its rows are named.
    r = RunQ730("preferences --menu 'Save/Recall>Recall Settings' --select 'Saved settings=Final' --ok");
    EXPECT_EQ(r.iExit, 2);
    EXPECT_TRUE(Has(r.strErr, "--select \"Saved settings=Final\": no item \"Final\"; the list offers \"Draft\""))
        << r.strErr;
}

}  // namespace
