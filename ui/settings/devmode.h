// devmode.h: the driver's 2615-byte DEVMODE and its default builder.
//
// Owns: the packed private blocks UIEXTRA and ENVEXTRA, the whole-DEVMODE
// record DRVDEVMODE, the fixed marks of the private part (signature "XDRV",
// the two magics, the model tag) and the default builder. Validation, merge
// and the identity checks live in dmvalidate.h.
//
// The byte image is a persisted format: it is stored as printer data
// "RNOVA NT", handed to the graphics library inside every job and kept by
// applications. Both libraries address private fields by their absolute
// offset in the 2615-byte record, so every offset below is asserted.
//
//   DEVMODE offset  size  block
//        0 ..  219   220  DEVMODEW, the public header (dmSize 220)
//      220 .. 1415  1196  UIEXTRA: public mirror, "XDRV" at 440, page settings
//     1416 .. 2614  1199  ENVEXTRA: magic1 "4321", finishing, covers, trays,
//                         image shift, fax fields, installed options, page
//                         lists, model tag at 2593, magic2 "1234" at 2611
//      220 .. 2614  2395  DRVEXTRA = UIEXTRA + ENVEXTRA (dmDriverExtra)
//
// Invariants of every DEVMODE this driver writes:
//   1. dmSize is 220 and dmDriverExtra 2395, so 2615 bytes always suffice.
//   2. The reserved ranges are zero in built DEVMODEs and carried unchanged.
//   3. The model tag is an 8-bit text terminated inside its 18 bytes, the
//      bytes after the terminator zero.
// Field names are the settings-file keys where one is bound to the field;
// nParamN/szParamN name fields bound to parameter N that has no key.
#pragma once

#include "platform/windows.h"

struct OPTIONDB;

#define DRV_DEVMODE_SIZE 2615
#define DRV_UIEXTRA_SIZE 1196
#define DRV_ENVEXTRA_SIZE 1199
#define DRV_EXTRA_SIZE 2395
#define DRV_ENVEXTRA_OFFSET 1416
#define DRV_DRIVER_VERSION 0x8403
#define DRV_VERSION_MASK 0x3FFF
#define DRV_DEFAULT_FIELDS 0x3703UL
#define DRV_MAGIC1 0x31323334UL
#define DRV_MAGIC2 0x34333231UL
#define DRV_MODEL_TAG "730MV"
#define DRV_MODEL_TAG_SIZE 18
#define DRV_OUTPUT_SAME_AS_PAPER 257

#pragma pack(push, 1)

// First private block, DEVMODE offsets 220..1415 (each line: offset, type).
struct UIEXTRA {
    DEVMODEW dmMirror;                       //  220 bytes[220]
    WORD wSignature[4];                      //  440 uint16[4]
    BYTE abReserved448[328];                 //  448 bytes[328]
    SHORT lpOutputPaper;                     //  776 int16
    BYTE lpGraphicsMode;                     //  778 uint8
    BYTE bHalftoneClass;                     //  779 uint8
    BYTE bGraphicsClass;                     //  780 uint8
    BYTE Layout_Check;                       //  781 uint8
    BYTE lpLayout;                           //  782 uint8
    BYTE lpOrder;                            //  783 uint8
    BYTE bValidByte0;                        //  784 uint8
    BYTE bValidByte1;                        //  785 uint8
    BYTE bValidByte2;                        //  786 uint8
    BYTE bValidByte3;                        //  787 uint8
    BYTE bLayoutKind;                        //  788 uint8
    SHORT wLayoutFlag;                       //  789 int16
    RECTL rcPrintMm;                         //  791 int32[4]
    RECTL rcPrintDots;                       //  807 int32[4]
    RECTL rcOutPrintDots;                    //  823 int32[4]
    SIZEL sizePaperDots;                     //  839 int32[2]
    SIZEL sizeOutPaperDots;                  //  847 int32[2]
    BYTE abReserved855[16];                  //  855 bytes[16]
    SHORT wMaxCopies;                        //  871 int16
    BYTE ZoomCheck;                          //  873 uint8
    SHORT Zoom;                              //  874 int16
    SHORT lpBorder;                          //  876 int16
    BYTE lpBooklet;                          //  878 uint8
    BYTE lpOverlay;                          //  879 uint8
    BYTE bOverlayIndex;                      //  880 uint8
    BYTE OverlayPrompt;                      //  881 uint8
    WCHAR szOverlayName[130];                //  882 wchar[130]
    BYTE abReserved1142[264];                // 1142 bytes[264]
    BYTE lpWatermarkOrder;                   // 1406 uint8
    BYTE Watermark_Use;                      // 1407 uint8
    BYTE bWatermarkCurrent;                  // 1408 uint8
    BYTE FirstPageOnly;                      // 1409 uint8
    BYTE lpPDLType;                          // 1410 uint8
    BYTE FontUseFlg;                         // 1411 uint8
    // The graphics library's font-substitution list slot in a job's DEVMODE:
    // a 32-bit row number of the PDEV's side record (12) or 0, never an
    // address; 0 everywhere else (customnt/xrddigfx/pdevside.h).
    BYTE abReserved1412[4];                  // 1412 bytes[4]
};

// Second private block, DEVMODE offsets 1416..2614 (each line: offset, type).
// XR_GetEnvExtraSize answers its size.
struct ENVEXTRA {
    DWORD dwMagic1;                          // 1416 uint32
    BYTE lpLayout_Select;                    // 1420 uint8
    BYTE Sort_Check;                         // 1421 uint8
    BYTE Collate_Check;                      // 1422 uint8
    BYTE Layout_Check2;                      // 1423 uint8
    BYTE Nup_Check;                          // 1424 uint8
    BYTE lpBorder2;                          // 1425 uint8
    BYTE Duplex_Check;                       // 1426 uint8
    BYTE lpDuplex;                           // 1427 uint8
    BYTE Staple_Check;                       // 1428 uint8
    BYTE lpStaple;                           // 1429 uint8
    BYTE Punch_Check;                        // 1430 uint8
    BYTE lpPunch;                            // 1431 uint8
    BYTE lpPunchHoles;                       // 1432 uint8
    BYTE Booklet_Check;                      // 1433 uint8
    BYTE lpBookletMode;                      // 1434 uint8
    BYTE EngBooklet_Check;                   // 1435 uint8
    BYTE lpEngBooklet;                       // 1436 uint8
    BYTE lpBooklet2;                         // 1437 uint8
    BYTE BindMargin_Check;                   // 1438 uint8
    BYTE fMargin;                            // 1439 uint8
    BYTE lpBindMargin;                       // 1440 uint8
    BYTE bMargin;                            // 1441 uint8
    BYTE MarginEqual_Check;                  // 1442 uint8
    BYTE lpMarginMode;                       // 1443 uint8
    BYTE lpWaitMode;                         // 1444 uint8
    BYTE lpErrDiffMode;                      // 1445 uint8
    BYTE lpJobMode;                          // 1446 uint8
    BYTE lpOhpIntlvType;                     // 1447 uint8
    BYTE nParam100;                          // 1448 uint8
    BYTE UnDisplayPassword_Check;            // 1449 uint8
    BYTE Password_Check;                     // 1450 uint8
    WCHAR szParam210[11];                    // 1451 wchar[11]
    WCHAR szPassword[11];                    // 1473 wchar[11]
    WCHAR szUserID[11];                      // 1495 wchar[11]
    WCHAR szBoxNumber[10];                   // 1517 wchar[10]
    SHORT wLastPaperSize;                    // 1537 int16
    BYTE PaperLess_Check;                    // 1539 uint8
    BYTE nParam148;                          // 1540 uint8
    BYTE nParam149;                          // 1541 uint8
    BYTE lpWidePaperPos;                     // 1542 uint8
    SHORT lpMediaSource;                     // 1543 int16
    SHORT lpOutputTray;                      // 1545 int16
    SHORT sizeOutPaper[2];                   // 1547 int16[2]
    SHORT UDPaperWidth;                      // 1551 int16
    SHORT UDPaperLength;                     // 1553 int16
    BYTE lpUDPaperUnit;                      // 1555 uint8
    SHORT UDMediaWidth;                      // 1556 int16
    SHORT UDMediaLength;                     // 1558 int16
    BYTE lpUDMediaUnit;                      // 1560 uint8
    BYTE lpOutputOrder;                      // 1561 uint8
    SHORT lpOIPaperTray;                     // 1562 int16
    SHORT lpUDPaperType;                     // 1564 int16
    SHORT lpUDMediaType;                     // 1566 int16
    BYTE lpOutputMethod;                     // 1568 uint8
    BYTE Set_CenterFinish_Check;             // 1569 uint8
    BYTE lpFrontCover;                       // 1570 uint8
    SHORT lpFrontCoverTray;                  // 1571 int16
    BYTE lpBackCover;                        // 1573 uint8
    SHORT lpBackCoverTray;                   // 1574 int16
    BYTE lpMediaType;                        // 1576 uint8
    BYTE lpCoverMediaType;                   // 1577 uint8
    SHORT lpCoverSource;                     // 1578 int16
    BYTE nParam27;                           // 1580 uint8
    SHORT nParam28;                          // 1581 int16
    BYTE InterSheet_Check;                   // 1583 uint8
    BYTE FrontCoverSheet_Check;              // 1584 uint8
    SHORT lpFrontPITray;                     // 1585 int16
    BYTE BackCoverSheet_Check;               // 1587 uint8
    SHORT lpBackPITray;                      // 1588 int16
    BYTE InsertCoverSheet_Check;             // 1590 uint8
    SHORT lpInsertPITray;                    // 1591 int16
    BYTE Mixplex_Check;                      // 1593 uint8
    BYTE lpCoverSheetTray;                   // 1594 uint8
    BYTE pagenumStr[488];                    // 1595 PAGELISTS (488 bytes)
    BYTE lpInterSheetList;                   // 2083 uint8
    BYTE lpInterSheetListPRNType;            // 2084 uint8
    SHORT lpInterSheetListTray;              // 2085 int16
    BYTE lpInterSheetListBinding;            // 2087 uint8
    BYTE PrnTabIndex;                        // 2088 uint8
    BYTE lpPrnTabIndexNo;                    // 2089 uint8
    BYTE lpTabTextOrient;                    // 2090 uint8
    BYTE lpTabTextAlign;                     // 2091 uint8
    BYTE POD_Check;                          // 2092 uint8
    BYTE POD_Nup_Check;                      // 2093 uint8
    BYTE POD_OnePerSheet_Check;              // 2094 uint8
    BYTE lpPOD_OnePerSheet;                  // 2095 uint8
    BYTE POD_Duplex_Check;                   // 2096 uint8
    BYTE POD_Booklet_Check;                  // 2097 uint8
    BYTE lpPOD_Booklet;                      // 2098 uint8
    BYTE Chapter_Check;                      // 2099 uint8
    BYTE POD_BindMargin_Check;               // 2100 uint8
    BYTE CenterFinish_Check;                 // 2101 uint8
    BYTE lpCenterFinish;                     // 2102 uint8
    BYTE POD_Staple_Check;                   // 2103 uint8
    BYTE POD_Punch_Check;                    // 2104 uint8
    BYTE WaitMode_Check;                     // 2105 uint8
    BYTE TandemMode_Check;                   // 2106 uint8
    BYTE lpTandemMode;                       // 2107 uint8
    BYTE JobComb_Check;                      // 2108 uint8
    BYTE UnDisplayJob_Check;                 // 2109 uint8
    WCHAR szJobID[11];                       // 2110 wchar[11]
    BYTE lpJobCombType;                      // 2132 uint8
    BYTE lpJobModeSpl;                       // 2133 uint8
    BYTE ImageShift_Check;                   // 2134 uint8
    BYTE lpImgShiftMode;                     // 2135 uint8
    BYTE lpImgShiftDirectLRF;                // 2136 uint8
    BYTE lpImgShiftDirectUDF;                // 2137 uint8
    SHORT ImgShiftValueLRF;                  // 2138 int16
    SHORT ImgShiftValueUDF;                  // 2140 int16
    SHORT ImgShiftPageIntervalF;             // 2142 int16
    BYTE lpImgShiftDirectLRB;                // 2144 uint8
    BYTE lpImgShiftDirectUDB;                // 2145 uint8
    SHORT ImgShiftValueLRB;                  // 2146 int16
    SHORT ImgShiftValueUDB;                  // 2148 int16
    SHORT ImgShiftPageIntervalB;             // 2150 int16
    BYTE ImgShiftBackAuto_Check;             // 2152 uint8
    BYTE OverlayOrder_Check;                 // 2153 uint8
    BYTE lpDither;                           // 2154 uint8
    BYTE SaveToner;                          // 2155 uint8
    SHORT Intensity;                         // 2156 int16
    BYTE lpSmoothing;                        // 2158 uint8
    BYTE EngSaveToner_Check;                 // 2159 uint8
    BYTE lpDitherType;                       // 2160 uint8
    BYTE PrintCAD_Check;                     // 2161 uint8
    BYTE lpPrintCADMode;                     // 2162 uint8
    BYTE f1Plane1Bit_Check;                  // 2163 uint8
    SHORT Density;                           // 2164 int16
    BYTE nParam240;                          // 2166 uint8
    BYTE lpOutput;                           // 2167 uint8
    SHORT lpQuality;                         // 2168 int16
    BYTE CoverSheet;                         // 2170 uint8
    BYTE nParam52;                           // 2171 uint8
    BYTE nParam53;                           // 2172 uint8
    WCHAR szFaxText[18];                     // 2173 wchar[18]
    SHORT wFaxDestCount;                     // 2209 int16
    DWORD dwFaxListId;                       // 2211 uint32
    BYTE EcmTab;                             // 2215 uint8
    BYTE IntlComTab;                         // 2216 uint8
    BYTE FaxV34_CheckTab;                    // 2217 uint8
    BYTE SubAddress;                         // 2218 uint8
    WCHAR szSubAddress[21];                  // 2219 wchar[21]
    BYTE SenderID;                           // 2261 uint8
    WCHAR szSenderID[21];                    // 2262 wchar[21]
    BYTE bTimeH;                             // 2304 uint8
    BYTE bTimeM;                             // 2305 uint8
    BYTE FaxCover_Subject;                   // 2306 uint8
    BYTE FaxCover_ReceiveName;               // 2307 uint8
    BYTE FaxCover_ReceiveCompany1;           // 2308 uint8
    BYTE FaxCover_ReceiveCompany2;           // 2309 uint8
    BYTE FaxCover_ReceiveSetup;              // 2310 uint8
    BYTE FaxCover_ReceivePersonal;           // 2311 uint8
    BYTE FaxCover_ReceiveFaxnum;             // 2312 uint8
    BYTE FaxCover_SenderName;                // 2313 uint8
    BYTE FaxCover_SenderCompany1;            // 2314 uint8
    BYTE FaxCover_SenderCompany2;            // 2315 uint8
    BYTE FaxCover_SenderTelnum;              // 2316 uint8
    BYTE FaxCover_SenderFaxnum;              // 2317 uint8
    BYTE FaxCover_SenderEmail;               // 2318 uint8
    BYTE FaxCover_Date;                      // 2319 uint8
    BYTE FaxCover_Pagenum;                   // 2320 uint8
    BYTE FaxCover_Image;                     // 2321 uint8
    BYTE FaxCover_Zoom;                      // 2322 uint8
    BYTE FaxCover_A4PFix;                    // 2323 uint8
    BYTE lpSourceUnit;                       // 2324 uint8
    BYTE lpOutputUnit;                       // 2325 uint8
    BYTE lpHardDisk;                         // 2326 uint8
    BYTE lpFAXUnit;                          // 2327 uint8
    BYTE lpMemory;                           // 2328 uint8
    BYTE lpNetworkCard;                      // 2329 uint8
    BYTE lpCopierHardDisk;                   // 2330 uint8
    BYTE lpFoldUnit;                         // 2331 uint8
    BYTE lpAutoDuplexUnit;                   // 2332 uint8
    BYTE lpSaddleUnit;                       // 2333 uint8
    BYTE lpTandem;                           // 2334 uint8
    BYTE lpEngine;                           // 2335 uint8
    BYTE lpFinisher;                         // 2336 uint8
    BYTE lpTrimmer;                          // 2337 uint8
    BYTE lpLargeCapacityTray;                // 2338 uint8
    BYTE lpPunchKit;                         // 2339 uint8
    BYTE lpPunchZFold;                       // 2340 uint8
    WCHAR szParam213[16];                    // 2341 wchar[16]
    RECTL rcCustomPrintDots;                 // 2373 int32[4]
    BYTE abReserved2389[18];                 // 2389 bytes[18]
    RECTL rcOutPrintMm;                      // 2407 int32[4]
    SHORT XROutputPaperSize;                 // 2423 int16
    SHORT wParam231;                         // 2425 int16
    WCHAR szParam229[66];                    // 2427 wchar[66]
    LONG dwParam225;                         // 2559 int32
    BYTE bParam227;                          // 2563 uint8
    BYTE bAutoZoom;                          // 2564 uint8
    SHORT wLastResolution;                   // 2565 int16
    DWORD dwParam233;                        // 2567 uint32
    BYTE nParam177;                          // 2571 uint8
    BYTE nParam178;                          // 2572 uint8
    BYTE nParam179;                          // 2573 uint8
    BYTE nParam180;                          // 2574 uint8
    BYTE nParam181;                          // 2575 uint8
    BYTE nParam182;                          // 2576 uint8
    BYTE nParam183;                          // 2577 uint8
    BYTE nParam234;                          // 2578 uint8
    BYTE nParam235;                          // 2579 uint8
    BYTE nParam238;                          // 2580 uint8
    BYTE nParam239;                          // 2581 uint8
    BYTE nParam242;                          // 2582 uint8
    BYTE nParam243;                          // 2583 uint8
    BYTE nParam241;                          // 2584 uint8
    BYTE abReserved2585[8];                  // 2585 bytes[8]
    CHAR szModelTag[18];                     // 2593 char[18]
    DWORD dwMagic2;                          // 2611 uint32
};

// The whole DEVMODE as the driver allocates, stores and hands it on.
struct DRVDEVMODE {
    DEVMODEW dm;   //    0 public header
    UIEXTRA ui;    //  220 first private block
    ENVEXTRA env;  // 1416 second private block
};
typedef DRVDEVMODE* PDRVDEVMODE;

#pragma pack(pop)

static_assert(sizeof(UIEXTRA) == DRV_UIEXTRA_SIZE);
static_assert(sizeof(ENVEXTRA) == DRV_ENVEXTRA_SIZE);
static_assert(sizeof(DRVDEVMODE) == DRV_DEVMODE_SIZE);
static_assert(offsetof(DRVDEVMODE, ui) == 220);
static_assert(offsetof(DRVDEVMODE, env) == DRV_ENVEXTRA_OFFSET);
static_assert(offsetof(DRVDEVMODE, ui.dmMirror) == 220);
static_assert(offsetof(DRVDEVMODE, ui.wSignature) == 440);
static_assert(offsetof(DRVDEVMODE, ui.abReserved448) == 448);
static_assert(offsetof(DRVDEVMODE, ui.lpOutputPaper) == 776);
static_assert(offsetof(DRVDEVMODE, ui.lpGraphicsMode) == 778);
static_assert(offsetof(DRVDEVMODE, ui.bHalftoneClass) == 779);
static_assert(offsetof(DRVDEVMODE, ui.bGraphicsClass) == 780);
static_assert(offsetof(DRVDEVMODE, ui.Layout_Check) == 781);
static_assert(offsetof(DRVDEVMODE, ui.lpLayout) == 782);
static_assert(offsetof(DRVDEVMODE, ui.lpOrder) == 783);
static_assert(offsetof(DRVDEVMODE, ui.bValidByte0) == 784);
static_assert(offsetof(DRVDEVMODE, ui.bValidByte1) == 785);
static_assert(offsetof(DRVDEVMODE, ui.bValidByte2) == 786);
static_assert(offsetof(DRVDEVMODE, ui.bValidByte3) == 787);
static_assert(offsetof(DRVDEVMODE, ui.bLayoutKind) == 788);
static_assert(offsetof(DRVDEVMODE, ui.wLayoutFlag) == 789);
static_assert(offsetof(DRVDEVMODE, ui.rcPrintMm) == 791);
static_assert(offsetof(DRVDEVMODE, ui.rcPrintDots) == 807);
static_assert(offsetof(DRVDEVMODE, ui.rcOutPrintDots) == 823);
static_assert(offsetof(DRVDEVMODE, ui.sizePaperDots) == 839);
static_assert(offsetof(DRVDEVMODE, ui.sizeOutPaperDots) == 847);
static_assert(offsetof(DRVDEVMODE, ui.abReserved855) == 855);
static_assert(offsetof(DRVDEVMODE, ui.wMaxCopies) == 871);
static_assert(offsetof(DRVDEVMODE, ui.ZoomCheck) == 873);
static_assert(offsetof(DRVDEVMODE, ui.Zoom) == 874);
static_assert(offsetof(DRVDEVMODE, ui.lpBorder) == 876);
static_assert(offsetof(DRVDEVMODE, ui.lpBooklet) == 878);
static_assert(offsetof(DRVDEVMODE, ui.lpOverlay) == 879);
static_assert(offsetof(DRVDEVMODE, ui.bOverlayIndex) == 880);
static_assert(offsetof(DRVDEVMODE, ui.OverlayPrompt) == 881);
static_assert(offsetof(DRVDEVMODE, ui.szOverlayName) == 882);
static_assert(offsetof(DRVDEVMODE, ui.abReserved1142) == 1142);
static_assert(offsetof(DRVDEVMODE, ui.lpWatermarkOrder) == 1406);
static_assert(offsetof(DRVDEVMODE, ui.Watermark_Use) == 1407);
static_assert(offsetof(DRVDEVMODE, ui.bWatermarkCurrent) == 1408);
static_assert(offsetof(DRVDEVMODE, ui.FirstPageOnly) == 1409);
static_assert(offsetof(DRVDEVMODE, ui.lpPDLType) == 1410);
static_assert(offsetof(DRVDEVMODE, ui.FontUseFlg) == 1411);
static_assert(offsetof(DRVDEVMODE, ui.abReserved1412) == 1412);
static_assert(offsetof(DRVDEVMODE, env.dwMagic1) == 1416);
static_assert(offsetof(DRVDEVMODE, env.lpLayout_Select) == 1420);
static_assert(offsetof(DRVDEVMODE, env.Sort_Check) == 1421);
static_assert(offsetof(DRVDEVMODE, env.Collate_Check) == 1422);
static_assert(offsetof(DRVDEVMODE, env.Layout_Check2) == 1423);
static_assert(offsetof(DRVDEVMODE, env.Nup_Check) == 1424);
static_assert(offsetof(DRVDEVMODE, env.lpBorder2) == 1425);
static_assert(offsetof(DRVDEVMODE, env.Duplex_Check) == 1426);
static_assert(offsetof(DRVDEVMODE, env.lpDuplex) == 1427);
static_assert(offsetof(DRVDEVMODE, env.Staple_Check) == 1428);
static_assert(offsetof(DRVDEVMODE, env.lpStaple) == 1429);
static_assert(offsetof(DRVDEVMODE, env.Punch_Check) == 1430);
static_assert(offsetof(DRVDEVMODE, env.lpPunch) == 1431);
static_assert(offsetof(DRVDEVMODE, env.lpPunchHoles) == 1432);
static_assert(offsetof(DRVDEVMODE, env.Booklet_Check) == 1433);
static_assert(offsetof(DRVDEVMODE, env.lpBookletMode) == 1434);
static_assert(offsetof(DRVDEVMODE, env.EngBooklet_Check) == 1435);
static_assert(offsetof(DRVDEVMODE, env.lpEngBooklet) == 1436);
static_assert(offsetof(DRVDEVMODE, env.lpBooklet2) == 1437);
static_assert(offsetof(DRVDEVMODE, env.BindMargin_Check) == 1438);
static_assert(offsetof(DRVDEVMODE, env.fMargin) == 1439);
static_assert(offsetof(DRVDEVMODE, env.lpBindMargin) == 1440);
static_assert(offsetof(DRVDEVMODE, env.bMargin) == 1441);
static_assert(offsetof(DRVDEVMODE, env.MarginEqual_Check) == 1442);
static_assert(offsetof(DRVDEVMODE, env.lpMarginMode) == 1443);
static_assert(offsetof(DRVDEVMODE, env.lpWaitMode) == 1444);
static_assert(offsetof(DRVDEVMODE, env.lpErrDiffMode) == 1445);
static_assert(offsetof(DRVDEVMODE, env.lpJobMode) == 1446);
static_assert(offsetof(DRVDEVMODE, env.lpOhpIntlvType) == 1447);
static_assert(offsetof(DRVDEVMODE, env.nParam100) == 1448);
static_assert(offsetof(DRVDEVMODE, env.UnDisplayPassword_Check) == 1449);
static_assert(offsetof(DRVDEVMODE, env.Password_Check) == 1450);
static_assert(offsetof(DRVDEVMODE, env.szParam210) == 1451);
static_assert(offsetof(DRVDEVMODE, env.szPassword) == 1473);
static_assert(offsetof(DRVDEVMODE, env.szUserID) == 1495);
static_assert(offsetof(DRVDEVMODE, env.szBoxNumber) == 1517);
static_assert(offsetof(DRVDEVMODE, env.wLastPaperSize) == 1537);
static_assert(offsetof(DRVDEVMODE, env.PaperLess_Check) == 1539);
static_assert(offsetof(DRVDEVMODE, env.nParam148) == 1540);
static_assert(offsetof(DRVDEVMODE, env.nParam149) == 1541);
static_assert(offsetof(DRVDEVMODE, env.lpWidePaperPos) == 1542);
static_assert(offsetof(DRVDEVMODE, env.lpMediaSource) == 1543);
static_assert(offsetof(DRVDEVMODE, env.lpOutputTray) == 1545);
static_assert(offsetof(DRVDEVMODE, env.sizeOutPaper) == 1547);
static_assert(offsetof(DRVDEVMODE, env.UDPaperWidth) == 1551);
static_assert(offsetof(DRVDEVMODE, env.UDPaperLength) == 1553);
static_assert(offsetof(DRVDEVMODE, env.lpUDPaperUnit) == 1555);
static_assert(offsetof(DRVDEVMODE, env.UDMediaWidth) == 1556);
static_assert(offsetof(DRVDEVMODE, env.UDMediaLength) == 1558);
static_assert(offsetof(DRVDEVMODE, env.lpUDMediaUnit) == 1560);
static_assert(offsetof(DRVDEVMODE, env.lpOutputOrder) == 1561);
static_assert(offsetof(DRVDEVMODE, env.lpOIPaperTray) == 1562);
static_assert(offsetof(DRVDEVMODE, env.lpUDPaperType) == 1564);
static_assert(offsetof(DRVDEVMODE, env.lpUDMediaType) == 1566);
static_assert(offsetof(DRVDEVMODE, env.lpOutputMethod) == 1568);
static_assert(offsetof(DRVDEVMODE, env.Set_CenterFinish_Check) == 1569);
static_assert(offsetof(DRVDEVMODE, env.lpFrontCover) == 1570);
static_assert(offsetof(DRVDEVMODE, env.lpFrontCoverTray) == 1571);
static_assert(offsetof(DRVDEVMODE, env.lpBackCover) == 1573);
static_assert(offsetof(DRVDEVMODE, env.lpBackCoverTray) == 1574);
static_assert(offsetof(DRVDEVMODE, env.lpMediaType) == 1576);
static_assert(offsetof(DRVDEVMODE, env.lpCoverMediaType) == 1577);
static_assert(offsetof(DRVDEVMODE, env.lpCoverSource) == 1578);
static_assert(offsetof(DRVDEVMODE, env.nParam27) == 1580);
static_assert(offsetof(DRVDEVMODE, env.nParam28) == 1581);
static_assert(offsetof(DRVDEVMODE, env.InterSheet_Check) == 1583);
static_assert(offsetof(DRVDEVMODE, env.FrontCoverSheet_Check) == 1584);
static_assert(offsetof(DRVDEVMODE, env.lpFrontPITray) == 1585);
static_assert(offsetof(DRVDEVMODE, env.BackCoverSheet_Check) == 1587);
static_assert(offsetof(DRVDEVMODE, env.lpBackPITray) == 1588);
static_assert(offsetof(DRVDEVMODE, env.InsertCoverSheet_Check) == 1590);
static_assert(offsetof(DRVDEVMODE, env.lpInsertPITray) == 1591);
static_assert(offsetof(DRVDEVMODE, env.Mixplex_Check) == 1593);
static_assert(offsetof(DRVDEVMODE, env.lpCoverSheetTray) == 1594);
static_assert(offsetof(DRVDEVMODE, env.pagenumStr) == 1595);
static_assert(offsetof(DRVDEVMODE, env.lpInterSheetList) == 2083);
static_assert(offsetof(DRVDEVMODE, env.lpInterSheetListPRNType) == 2084);
static_assert(offsetof(DRVDEVMODE, env.lpInterSheetListTray) == 2085);
static_assert(offsetof(DRVDEVMODE, env.lpInterSheetListBinding) == 2087);
static_assert(offsetof(DRVDEVMODE, env.PrnTabIndex) == 2088);
static_assert(offsetof(DRVDEVMODE, env.lpPrnTabIndexNo) == 2089);
static_assert(offsetof(DRVDEVMODE, env.lpTabTextOrient) == 2090);
static_assert(offsetof(DRVDEVMODE, env.lpTabTextAlign) == 2091);
static_assert(offsetof(DRVDEVMODE, env.POD_Check) == 2092);
static_assert(offsetof(DRVDEVMODE, env.POD_Nup_Check) == 2093);
static_assert(offsetof(DRVDEVMODE, env.POD_OnePerSheet_Check) == 2094);
static_assert(offsetof(DRVDEVMODE, env.lpPOD_OnePerSheet) == 2095);
static_assert(offsetof(DRVDEVMODE, env.POD_Duplex_Check) == 2096);
static_assert(offsetof(DRVDEVMODE, env.POD_Booklet_Check) == 2097);
static_assert(offsetof(DRVDEVMODE, env.lpPOD_Booklet) == 2098);
static_assert(offsetof(DRVDEVMODE, env.Chapter_Check) == 2099);
static_assert(offsetof(DRVDEVMODE, env.POD_BindMargin_Check) == 2100);
static_assert(offsetof(DRVDEVMODE, env.CenterFinish_Check) == 2101);
static_assert(offsetof(DRVDEVMODE, env.lpCenterFinish) == 2102);
static_assert(offsetof(DRVDEVMODE, env.POD_Staple_Check) == 2103);
static_assert(offsetof(DRVDEVMODE, env.POD_Punch_Check) == 2104);
static_assert(offsetof(DRVDEVMODE, env.WaitMode_Check) == 2105);
static_assert(offsetof(DRVDEVMODE, env.TandemMode_Check) == 2106);
static_assert(offsetof(DRVDEVMODE, env.lpTandemMode) == 2107);
static_assert(offsetof(DRVDEVMODE, env.JobComb_Check) == 2108);
static_assert(offsetof(DRVDEVMODE, env.UnDisplayJob_Check) == 2109);
static_assert(offsetof(DRVDEVMODE, env.szJobID) == 2110);
static_assert(offsetof(DRVDEVMODE, env.lpJobCombType) == 2132);
static_assert(offsetof(DRVDEVMODE, env.lpJobModeSpl) == 2133);
static_assert(offsetof(DRVDEVMODE, env.ImageShift_Check) == 2134);
static_assert(offsetof(DRVDEVMODE, env.lpImgShiftMode) == 2135);
static_assert(offsetof(DRVDEVMODE, env.lpImgShiftDirectLRF) == 2136);
static_assert(offsetof(DRVDEVMODE, env.lpImgShiftDirectUDF) == 2137);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftValueLRF) == 2138);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftValueUDF) == 2140);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftPageIntervalF) == 2142);
static_assert(offsetof(DRVDEVMODE, env.lpImgShiftDirectLRB) == 2144);
static_assert(offsetof(DRVDEVMODE, env.lpImgShiftDirectUDB) == 2145);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftValueLRB) == 2146);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftValueUDB) == 2148);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftPageIntervalB) == 2150);
static_assert(offsetof(DRVDEVMODE, env.ImgShiftBackAuto_Check) == 2152);
static_assert(offsetof(DRVDEVMODE, env.OverlayOrder_Check) == 2153);
static_assert(offsetof(DRVDEVMODE, env.lpDither) == 2154);
static_assert(offsetof(DRVDEVMODE, env.SaveToner) == 2155);
static_assert(offsetof(DRVDEVMODE, env.Intensity) == 2156);
static_assert(offsetof(DRVDEVMODE, env.lpSmoothing) == 2158);
static_assert(offsetof(DRVDEVMODE, env.EngSaveToner_Check) == 2159);
static_assert(offsetof(DRVDEVMODE, env.lpDitherType) == 2160);
static_assert(offsetof(DRVDEVMODE, env.PrintCAD_Check) == 2161);
static_assert(offsetof(DRVDEVMODE, env.lpPrintCADMode) == 2162);
static_assert(offsetof(DRVDEVMODE, env.f1Plane1Bit_Check) == 2163);
static_assert(offsetof(DRVDEVMODE, env.Density) == 2164);
static_assert(offsetof(DRVDEVMODE, env.nParam240) == 2166);
static_assert(offsetof(DRVDEVMODE, env.lpOutput) == 2167);
static_assert(offsetof(DRVDEVMODE, env.lpQuality) == 2168);
static_assert(offsetof(DRVDEVMODE, env.CoverSheet) == 2170);
static_assert(offsetof(DRVDEVMODE, env.nParam52) == 2171);
static_assert(offsetof(DRVDEVMODE, env.nParam53) == 2172);
static_assert(offsetof(DRVDEVMODE, env.szFaxText) == 2173);
static_assert(offsetof(DRVDEVMODE, env.wFaxDestCount) == 2209);
static_assert(offsetof(DRVDEVMODE, env.dwFaxListId) == 2211);
static_assert(offsetof(DRVDEVMODE, env.EcmTab) == 2215);
static_assert(offsetof(DRVDEVMODE, env.IntlComTab) == 2216);
static_assert(offsetof(DRVDEVMODE, env.FaxV34_CheckTab) == 2217);
static_assert(offsetof(DRVDEVMODE, env.SubAddress) == 2218);
static_assert(offsetof(DRVDEVMODE, env.szSubAddress) == 2219);
static_assert(offsetof(DRVDEVMODE, env.SenderID) == 2261);
static_assert(offsetof(DRVDEVMODE, env.szSenderID) == 2262);
static_assert(offsetof(DRVDEVMODE, env.bTimeH) == 2304);
static_assert(offsetof(DRVDEVMODE, env.bTimeM) == 2305);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_Subject) == 2306);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceiveName) == 2307);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceiveCompany1) == 2308);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceiveCompany2) == 2309);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceiveSetup) == 2310);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceivePersonal) == 2311);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_ReceiveFaxnum) == 2312);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderName) == 2313);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderCompany1) == 2314);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderCompany2) == 2315);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderTelnum) == 2316);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderFaxnum) == 2317);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_SenderEmail) == 2318);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_Date) == 2319);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_Pagenum) == 2320);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_Image) == 2321);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_Zoom) == 2322);
static_assert(offsetof(DRVDEVMODE, env.FaxCover_A4PFix) == 2323);
static_assert(offsetof(DRVDEVMODE, env.lpSourceUnit) == 2324);
static_assert(offsetof(DRVDEVMODE, env.lpOutputUnit) == 2325);
static_assert(offsetof(DRVDEVMODE, env.lpHardDisk) == 2326);
static_assert(offsetof(DRVDEVMODE, env.lpFAXUnit) == 2327);
static_assert(offsetof(DRVDEVMODE, env.lpMemory) == 2328);
static_assert(offsetof(DRVDEVMODE, env.lpNetworkCard) == 2329);
static_assert(offsetof(DRVDEVMODE, env.lpCopierHardDisk) == 2330);
static_assert(offsetof(DRVDEVMODE, env.lpFoldUnit) == 2331);
static_assert(offsetof(DRVDEVMODE, env.lpAutoDuplexUnit) == 2332);
static_assert(offsetof(DRVDEVMODE, env.lpSaddleUnit) == 2333);
static_assert(offsetof(DRVDEVMODE, env.lpTandem) == 2334);
static_assert(offsetof(DRVDEVMODE, env.lpEngine) == 2335);
static_assert(offsetof(DRVDEVMODE, env.lpFinisher) == 2336);
static_assert(offsetof(DRVDEVMODE, env.lpTrimmer) == 2337);
static_assert(offsetof(DRVDEVMODE, env.lpLargeCapacityTray) == 2338);
static_assert(offsetof(DRVDEVMODE, env.lpPunchKit) == 2339);
static_assert(offsetof(DRVDEVMODE, env.lpPunchZFold) == 2340);
static_assert(offsetof(DRVDEVMODE, env.szParam213) == 2341);
static_assert(offsetof(DRVDEVMODE, env.rcCustomPrintDots) == 2373);
static_assert(offsetof(DRVDEVMODE, env.abReserved2389) == 2389);
static_assert(offsetof(DRVDEVMODE, env.rcOutPrintMm) == 2407);
static_assert(offsetof(DRVDEVMODE, env.XROutputPaperSize) == 2423);
static_assert(offsetof(DRVDEVMODE, env.wParam231) == 2425);
static_assert(offsetof(DRVDEVMODE, env.szParam229) == 2427);
static_assert(offsetof(DRVDEVMODE, env.dwParam225) == 2559);
static_assert(offsetof(DRVDEVMODE, env.bParam227) == 2563);
static_assert(offsetof(DRVDEVMODE, env.bAutoZoom) == 2564);
static_assert(offsetof(DRVDEVMODE, env.wLastResolution) == 2565);
static_assert(offsetof(DRVDEVMODE, env.dwParam233) == 2567);
static_assert(offsetof(DRVDEVMODE, env.nParam177) == 2571);
static_assert(offsetof(DRVDEVMODE, env.nParam178) == 2572);
static_assert(offsetof(DRVDEVMODE, env.nParam179) == 2573);
static_assert(offsetof(DRVDEVMODE, env.nParam180) == 2574);
static_assert(offsetof(DRVDEVMODE, env.nParam181) == 2575);
static_assert(offsetof(DRVDEVMODE, env.nParam182) == 2576);
static_assert(offsetof(DRVDEVMODE, env.nParam183) == 2577);
static_assert(offsetof(DRVDEVMODE, env.nParam234) == 2578);
static_assert(offsetof(DRVDEVMODE, env.nParam235) == 2579);
static_assert(offsetof(DRVDEVMODE, env.nParam238) == 2580);
static_assert(offsetof(DRVDEVMODE, env.nParam239) == 2581);
static_assert(offsetof(DRVDEVMODE, env.nParam242) == 2582);
static_assert(offsetof(DRVDEVMODE, env.nParam243) == 2583);
static_assert(offsetof(DRVDEVMODE, env.nParam241) == 2584);
static_assert(offsetof(DRVDEVMODE, env.abReserved2585) == 2585);
static_assert(offsetof(DRVDEVMODE, env.szModelTag) == 2593);
static_assert(offsetof(DRVDEVMODE, env.dwMagic2) == 2611);

// The private blocks of a DEVMODE given as the public header (no checks).
inline DRVDEVMODE* DrvDevmode(DEVMODEW* pdm) { return reinterpret_cast<DRVDEVMODE*>(pdm); }
inline const DRVDEVMODE* DrvDevmode(const DEVMODEW* pdm) { return reinterpret_cast<const DRVDEVMODE*>(pdm); }

// Size of ENVEXTRA (1199); exported by the user-interface library so that
// callers outside the driver can size the private part.
Q730_EXPORT DWORD XR_GetEnvExtraSize();
// dmDriverExtra of every DEVMODE of the driver: 1196 + XR_GetEnvExtraSize().
DWORD GetDevmodeExtraSize();

// Builds the default DEVMODE into a 2615-byte buffer from the option
// database's defaults. pszDeviceName may be null: the printer's name is then
// fetched from hPrinter. Returns FALSE when pdb or pdm is null; the buffer
// is then all zero (no signature, no tag), so that such a DEVMODE never
// passes as this driver's and is never stored as the printer's default.
BOOL InitDefaultDevmode(OPTIONDB* pdb, DEVMODEW* pdm, LPCWSTR pszDeviceName, HANDLE hPrinter);

// Fills the public header, the signature and the model tag. A null
// pszDeviceName leaves dmDeviceName alone; otherwise at most 31 characters
// and a terminator are written.
void InitDevmodeHeader(DEVMODEW* pdm, LPCWSTR pszDeviceName);

// Copies 16-bit characters, at most cbTarget / 2 units, stopping after the
// terminator. The last unit of the target is always a terminator (cbTarget
// of at least 2), so a source longer than the target is cut, never left
// unterminated.
void CopyWideBounded(LPWSTR pszTarget, LPCWSTR pszSource, DWORD cbTarget);

// Write "XDRV" at 440, respectively the model tag at 2593 (18 bytes cleared
// first). A null pointer does nothing.
void SetDrvSignature(DEVMODEW* pdm);
void SetModelTag(DEVMODEW* pdm);
