// The automatic zoom: the ratio of the output paper's printable size to the
// document paper's, for every document size and every standard output size,
// a user paper and the custom size.
#include <gtest/gtest.h>

#include "tests/ui_constraints/fixture.h"
#include "ui/settings/papertable.h"

namespace {

enum : WORD { P_PAPER = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5, P_ZOOM = 6 };

// The sheets by code, in 1/100 mm; their printable area lies 4.06 mm inside
// every edge. The media variants (0x1000, 0x2000) are the same sheets.
struct SHEET {
    SHORT sCode;
    LONG lWidth, lLength;
};
const SHEET kSheets[] = {
    {8, 29700, 42000},  {9, 21000, 29700},     {2057, 21000, 29700}, {11, 14800, 21000}, {2059, 14800, 21000},
    {70, 10500, 14800}, {12, 25700, 36400},    {13, 18200, 25700},   {2061, 18200, 25700}, {88, 12800, 18200},
    {43, 10000, 14800}, {1, 21590, 27940},     {2049, 21590, 27940}, {263, 21000, 33000}, {3, 27940, 43180},
    {5, 21590, 35560},  {6, 13970, 21590},     {2054, 13970, 21590}, {261, 27000, 39000}, {262, 19500, 27000},
    {2310, 19500, 27000}, {1033, 22200, 29700}, {1025, 22860, 27940},
};

const SHEET* Sheet(SHORT sCode)
{
    for (const SHEET& s : kSheets)
        if (s.sCode == (sCode & ~0x3000))
            return &s;
    return nullptr;
}

// What the zoom must be: the smaller ratio of the printable sizes, sizes
// within 0.04 mm of the document's counting as equal.
LONG Expected(LONG w1, LONG l1, LONG w2, LONG l2)
{
    if (w2 - w1 >= -4 && w2 - w1 <= 4)
        w2 = w1;
    if (l2 - l1 >= -4 && l2 - l1 <= 4)
        l2 = l1;
    LONG a = w2 * 100 / w1, b = l2 * 100 / l1;
    return a < b ? a : b;
}

class AutoZoom : public ConstraintTest {
protected:
    LONG Zoom(SHORT sDoc, SHORT sOut)
    {
        SetParamEdited(pObj, P_PAPER, sDoc);
        SetParamEdited(pObj, P_OUTPUTPAPER, sOut);
        SetParamEdited(pObj, P_ZOOMCHECK, 1);
        if (bIsCustomPaper(sDoc))
            SetCustomSizeMargins(pObj, 111, sDoc);
        if (bIsCustomPaper(sOut))
            SetCustomSizeMargins(pObj, 114, sOut);
        CalcRatioZoom(pObj);
        return GetParamEdited(pObj, P_ZOOM);
    }
    // The standard sizes of a list (option 0 documents, option 11 outputs).
    std::vector<SHORT> Standard(WORD wOption)
    {
        std::vector<SHORT> v;
        int n = (int)QueryOptionDb(pdb, wOption, OPTQ_COUNT, nullptr, 0, 0);
        for (int i = 0; i < n; ++i) {
            SHORT s = (SHORT)QueryOptionDb(pdb, wOption, OPTQ_VALUE, nullptr, i, 0);
            if (!(s & 0x1000) && Sheet(s))
                v.push_back(s);
        }
        return v;
    }
};

TEST_F(AutoZoom, EveryDocumentSizeOnEveryStandardOutputSize)
{
    std::vector<SHORT> docs = Standard(0), outs = Standard(11);
    ASSERT_EQ(docs.size(), 23u + 21u);  // the plain sheets, the tab papers and the "_W" sheets
    ASSERT_EQ(outs.size(), 16u + 2u + 13u);
    for (SHORT d : docs)
        for (SHORT o : outs) {
            const SHEET *a = Sheet(d), *b = Sheet(o);
            EXPECT_EQ(Zoom(d, o), Expected(a->lWidth - 812, a->lLength - 812, b->lWidth - 812, b->lLength - 812))
                << "document " << d << " output " << o;
        }
    // The points a user meets first: A4 on A3, A3 on A4.
    EXPECT_EQ(Zoom(9, 8), 142);
    EXPECT_EQ(Zoom(8, 9), 69);
    EXPECT_EQ(Zoom(9, 9), 100);
}

TEST_F(AutoZoom, TheDocumentsMediaVariantMeasuresTheOutputSizeInTheSameVariant)
{
    // A4 "_F" on A3: the output is measured as A3 "_F" (no margin on the
    // rotated "_F" sheets).
    EXPECT_EQ(Zoom(4105, 8), Expected(20188, 28888, 28888, 41188));
    // A4 R "_F" has no margin: on A4 ("_F") it shrinks to fit.
    EXPECT_EQ(Zoom(6153, 9), Expected(21000, 29700, 20188, 28888));
}

TEST_F(AutoZoom, UserPaperAndCustomSize)
{
    // The built-in user paper: 8.267 x 8.267 inches, 209.98 mm square, with
    // no margin on the automatic tray.
    const LONG lUser = 8267 * 254 / 100;
    EXPECT_EQ(Zoom(9, 513), Expected(20188, 28888, lUser, lUser));
    EXPECT_EQ(Zoom(513, 9), Expected(lUser, lUser, 20188, 28888));
    EXPECT_EQ(Zoom(513, 256), 100);
    EXPECT_EQ(Zoom(8, 256), Expected(28888, 41188, lUser, lUser));
}

}  // namespace
