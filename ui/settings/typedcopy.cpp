// typedcopy.cpp: the width-converting copy (see typedcopy.h).
#include "ui/settings/typedcopy.h"

#include <cstring>

namespace {

// Width in bytes of a scalar type code; 0 for the byte and text types.
DWORD _ScalarWidth(WORD wType)
{
    switch (wType) {
    case 1: return 1;
    case 2: case 4: return 2;
    case 8: case 16: case 32: return 4;
    default: return 0;
    }
}

BOOL _PairSupported(WORD wSrc, WORD wDst)
{
    if (!_ScalarWidth(wDst))
        return FALSE;
    // A signed 32-bit source does not narrow into an unsigned 32-bit one.
    return !(wSrc == 32 && wDst == 16);
}

// Reads a scalar of the source type, widened by its signedness.
LONGLONG _ReadScalar(const BYTE* p, WORD wType)
{
    switch (wType) {
    case 1: return p[0];
    case 2: { WORD w; memcpy(&w, p, 2); return w; }
    case 4: { SHORT s; memcpy(&s, p, 2); return s; }
    case 16: { DWORD d; memcpy(&d, p, 4); return d; }
    default: { LONG l; memcpy(&l, p, 4); return l; }
    }
}

}  // namespace

int TypedValueCopy(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                   WORD wDstType, int iDirection)
{
    if (!pParam || !cbParam || !pcbCaller)
        return TVC_BADARG;
    if (iDirection == TVC_GET) {
        if (!pCaller) {
            *pcbCaller = cbParam;
            return TVC_OK;
        }
    } else if (iDirection == TVC_SET) {
        if (!pCaller || *pcbCaller > cbParam)
            return TVC_BADARG;
    } else {
        return TVC_BADARG;
    }
    BYTE* pSrc = (BYTE*)(iDirection == TVC_GET ? pParam : pCaller);
    BYTE* pDst = (BYTE*)(iDirection == TVC_GET ? pCaller : pParam);
    DWORD cbSrc = iDirection == TVC_GET ? cbParam : *pcbCaller;
    DWORD cbDst = iDirection == TVC_GET ? *pcbCaller : cbParam;

    DWORD cbSrcWidth = _ScalarWidth(wSrcType);
    if (cbSrcWidth) {
        if (cbSrc < cbSrcWidth)
            return TVC_BADARG;
        if (wDstType != wSrcType && wDstType != 0) {
            if (!_PairSupported(wSrcType, wDstType))
                return TVC_BADTYPE;
            DWORD cbDstWidth = _ScalarWidth(wDstType);
            if (cbDst < cbDstWidth)
                return TVC_BADARG;
            LONGLONG v = _ReadScalar(pSrc, wSrcType);
            // Little-endian: the low bytes come first, so narrowing keeps them.
            memcpy(pDst, &v, cbDstWidth);
        } else {
            if (cbDst < cbSrcWidth)
                return TVC_BADARG;
            memcpy(pDst, pSrc, cbSrcWidth);
        }
    } else if (wSrcType == 64 || wSrcType == 128) {
        DWORD cb = cbParam < *pcbCaller ? cbParam : *pcbCaller;
        memmove(pDst, pSrc, cb);
    } else {
        return TVC_BADTYPE;
    }
    if (iDirection == TVC_GET)
        return *pcbCaller < cbParam ? TVC_MOREDATA : TVC_OK;
    *pcbCaller = cbParam;
    return TVC_OK;
}

int GetTypedValue(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                  WORD wDstType)
{
    return TypedValueCopy(pParam, cbParam, pCaller, pcbCaller, wSrcType, wDstType, TVC_GET);
}

int SetTypedValue(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                  WORD wDstType)
{
    return TypedValueCopy(pParam, cbParam, pCaller, pcbCaller, wSrcType, wDstType, TVC_SET);
}

BOOL bIsSpecialParamId(WORD wParamId)
{
    switch (wParamId) {
    case 100: case 138: case 184: case 185: case 186:
    case 204: case 205: case 206: case 207: case 208: case 209:
    case 214: case 215: case 216: case 233:
        return TRUE;
    default:
        return FALSE;
    }
}
