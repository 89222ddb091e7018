// The Setup page driven by the scripted user inside the document sheet.
#include "tests/ui_setuppage/setuppage_fixture.h"

namespace {

TEST_F(SetupPageTest, PageLooksRight)
{
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/setup_page.png"));
    for (int id : {111, 114, 120, 122, 125, 127, 129, 131, 133, 137, 139, 141, 156})
        printf("%d:", id), [&] { for (int v : Shown(id)) printf(" %d", v); printf("\n"); }();
    printf("copies [%s] zoom [%s]\n", NarrowText(Text(103).c_str()).c_str(), NarrowText(Text(116).c_str()).c_str());
}

}  // namespace
