// Geometric pens drawn by the application's GDI calls on the test printer:
// their dashes and widths as they reach the port file, on a full page and on
// a reduced N-up page.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include "platform/gdi/gdidraw.h"

#include <cmath>

namespace {

class GeometricPenJob : public FlowPrinter {};

TEST_F(GeometricPenJob, DashesReachThePortAndWidthsFollowThePage)
{
    for (BYTE bLayout : {BYTE(1), BYTE(3)}) {
        SCOPED_TRACE(static_cast<int>(bLayout));
        DeleteFileW(FLOW_PORT);
        std::vector<BYTE> dm = FlowDefaultDevmode();
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpGraphicsMode = 2;
        pdm->ui.Layout_Check = bLayout == 1 ? 0 : 1;
        pdm->ui.lpLayout = bLayout;  // 3: two pages a sheet
        pdm->ui.lpOrder = 1;
        HDC hdc = OpenDC(dm);
        ASSERT_NE(hdc, nullptr);
        ASSERT_TRUE(StartDocNamed(hdc, u"geometric pens"));
        ASSERT_GT(StartPage(hdc), 0);
        LONG s = PdevOf(hdc)->lNupScale;
        if (bLayout == 1)
            EXPECT_EQ(s, 10000);
        else
            EXPECT_LT(s, 10000);
        LOGBRUSH lb = {BS_SOLID, RGB(0, 0, 0), 0};
        HPEN hDash = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 20, &lb, 0, nullptr);
        const DWORD aUser[] = {30, 10, 5, 10};
        HPEN hUser = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 10, &lb, 4, aUser);
        ASSERT_NE(hDash, nullptr);
        ASSERT_NE(hUser, nullptr);
        HGDIOBJ hOld = SelectObject(hdc, hDash);
        ASSERT_TRUE(MoveToEx(hdc, 200, 200, nullptr));
        ASSERT_TRUE(LineTo(hdc, 2000, 200));
        SelectObject(hdc, hUser);
        ASSERT_TRUE(MoveToEx(hdc, 200, 400, nullptr));
        ASSERT_TRUE(LineTo(hdc, 2000, 400));
        SelectObject(hdc, hOld);
        DeleteObject(hDash);
        DeleteObject(hUser);
        ASSERT_GT(EndPage(hdc), 0);
        ASSERT_GT(EndDoc(hdc), 0);
        EXPECT_TRUE(DeleteDC(hdc));

        // Lengths in page dots, reduced with the page as its points are.
        auto dots = [s](double d) { return static_cast<long>(std::floor(d * s / 10000.0 + 0.5)); };
        std::string port = ReadFlowPort();
        std::string dash = "lnp 0 10 %" + std::to_string(dots(20)) + " 7 F M %10 0 " +
                           std::to_string(dots(60) + dots(20)) + " 2 " + std::to_string(dots(60)) + " " +
                           std::to_string(dots(20)) + ";\n";
        std::string user = "lnp 0 10 %" + std::to_string(dots(10)) + " 7 F M %10 0 " +
                           std::to_string(dots(30) + dots(10) + dots(5) + dots(10)) + " 4 " +
                           std::to_string(dots(30)) + " " + std::to_string(dots(10)) + " " +
                           std::to_string(dots(5)) + " " + std::to_string(dots(10)) + ";\n";
        EXPECT_NE(port.find(dash), std::string::npos) << dash << port;
        EXPECT_NE(port.find(user), std::string::npos) << user << port;
        EXPECT_EQ(CountOf(port, "phs 0 1;\n"), 2u);
    }
}

}  // namespace
