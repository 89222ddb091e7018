// The timer print dialog: the clock on the platform's timer, the current
// time taken over, the hour and minute kept inside their limits, OK and
// Cancel.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "ui/dialogs/timerprint.h"
#include "ui/settings/strcache.h"

namespace {

const WORD kHour = 148, kMinute = 149;

class TimerDialog : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        At(9, 5);
    }
    void TearDown() override
    {
        PlatSetLocalTime(nullptr);
        SubDialogTest::TearDown();
    }
    static void At(WORD h, WORD m)
    {
        SYSTEMTIME st = {2026, 12, 5, 11, h, m, 0, 0};
        PlatSetLocalTime(&st);
    }
    std::u16string RangeBox()
    {
        return std::u16string(GetResString(25901)) + GetResString(25902) + GetResString(25903);
    }
};

TEST_F(TimerDialog, LimitsComeFromTheOptionDatabase)
{
    ASSERT_NE(Record(kHour), nullptr);
    EXPECT_EQ(Record(kHour)->sMin, 0);
    EXPECT_EQ(Record(kHour)->sMax, 23);
    EXPECT_EQ(Record(kMinute)->sMin, 0);
    EXPECT_EQ(Record(kMinute)->sMax, 59);
}

TEST_F(TimerDialog, ClockFollowsTheTimeEveryThirtySecondsWhileOpen)
{
    int nTimers = PlatLiveTimers();
    HWND h = Open(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_TIMER_CLOCK), u"09:05");
    EXPECT_EQ(PlatLiveTimers(), nTimers + 1);
    At(9, 6);
    PlatAdvanceClock(29999);
    EXPECT_EQ(Text(h, IDC_TIMER_CLOCK), u"09:05");
    PlatAdvanceClock(1);
    EXPECT_EQ(Text(h, IDC_TIMER_CLOCK), u"09:06");
    Picture(h, "timerprint_2770");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_EQ(PlatLiveTimers(), nTimers);
}

TEST_F(TimerDialog, TheTimerStopsHoweverTheDialogEnds)
{
    int nTimers = PlatLiveTimers();
    const std::vector<std::vector<PLATSCRIPTSTEP>> endings = {
        {Ok()},
        {Cancel()},
        // A refused OK, then Cancel.
        {Type(IDC_TIMER_MINUTE, u""), {PSS_FOCUS, IDC_TIMER_HOUR, nullptr, nullptr, -1, 0}, Ok(), Cancel()},
    };
    for (const auto& steps : endings) {
        Modal(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj, steps);
        EXPECT_EQ(PlatLiveTimers(), nTimers);
    }
}

TEST_F(TimerDialog, CurrentTimeButtonFillsBothEdits)
{
    EXPECT_EQ(Modal(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj, {Click(IDC_TIMER_APPLY_NOW), Ok()}), IDOK);
    EXPECT_EQ(Record(kHour)->sInitial, 9);
    EXPECT_EQ(Record(kMinute)->sInitial, 5);
}

TEST_F(TimerDialog, TypedTimesAreKeptInsideTheLimits)
{
    struct Row {
        int id;
        const char16_t* typed;
        const char16_t* shown;  // what the edit shows after leaving it
        SHORT stored;
        bool bBox;
    };
    const Row rows[] = {
        {IDC_TIMER_HOUR, u"25", u"23", 23, false},   // turned into the limit at once
        {IDC_TIMER_HOUR, u"7", u"7", 7, false},
        {IDC_TIMER_HOUR, u"x1", u"1", 1, false},      // only digits can be typed
        {IDC_TIMER_MINUTE, u"75", u"59", 59, false},
        {IDC_TIMER_MINUTE, u"", u"00", 0, true},      // empty: the box, then the lower limit
        {IDC_TIMER_MINUTE, u"30", u"30", 30, false},
    };
    for (const Row& r : rows) {
        Record(kHour)->sInitial = 12;
        Record(kMinute)->sInitial = 15;
        PlatMsgBoxReset();
        HWND h = Open(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(PlatScriptType(h, r.id, nullptr, r.typed));
        EXPECT_EQ(Text(h, r.id), r.shown) << Narrow(r.typed);
        EXPECT_EQ(PlatMsgBoxCount(), r.bBox ? 1 : 0) << Narrow(r.typed);
        if (r.bBox) {
            EXPECT_EQ(BoxText(0), RangeBox());
            EXPECT_EQ(BoxCaption(0), GetResString(25900));
            EXPECT_EQ(GetFocus(), GetDlgItem(h, r.id));
        }
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_FALSE(IsWindowVisible(h));
        EXPECT_EQ(Record(r.id == IDC_TIMER_HOUR ? kHour : kMinute)->sInitial, r.stored) << Narrow(r.typed);
    }
}

TEST_F(TimerDialog, OkRefusesAnEmptyEditAndCancelRestores)
{
    Record(kHour)->sInitial = 6;
    Record(kMinute)->sInitial = 45;
    HWND h = Open(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_TIMER_HOUR), u"06");
    EXPECT_EQ(Text(h, IDC_TIMER_MINUTE), u"45");
    // Emptied without leaving the field, then OK: the check runs there.
    SetDlgItemTextW(h, IDC_TIMER_MINUTE, u"");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_TRUE(IsWindowVisible(h));
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(Text(h, IDC_TIMER_MINUTE), u"00");
    ASSERT_TRUE(PlatScriptType(h, IDC_TIMER_HOUR, nullptr, u"22"));
    ASSERT_TRUE(PlatScriptPressCancel(h));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(Record(kHour)->sInitial, 6);
    EXPECT_EQ(Record(kMinute)->sInitial, 45);
}

TEST_F(TimerDialog, SpinShowsTwoDigits)
{
    Record(kHour)->sInitial = 7;
    HWND h = Open(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptSetPos(h, IDC_TIMER_HOUR_SPIN, nullptr, 8)) << Narrow(PlatScriptError());
    EXPECT_EQ(Text(h, IDC_TIMER_HOUR), u"08");
    EXPECT_EQ(Record(kHour)->sInitial, 8);
    ASSERT_TRUE(PlatScriptPressOK(h));
}

}  // namespace
