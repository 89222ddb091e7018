// typedcopy.h: the width-converting copy between a parameter and a caller.
//
// Owns: TypedValueCopy with its wrappers GetTypedValue and SetTypedValue, used
// by the binding loop, the typed parameter access and every setting-group
// accessor; and bIsSpecialParamId, the parameters that the binding loop and
// the bulk setter handle apart.
//
// Results: 0 done; 234 (get) the caller's buffer is smaller than the value
// (what fits was copied); -1 bad arguments; -2 a type pair that is not
// supported (nothing copied).
#pragma once

#include "platform/windows.h"

#define TVC_GET 1
#define TVC_SET 2
#define TVC_OK 0
#define TVC_MOREDATA 234
#define TVC_BADARG (-1)
#define TVC_BADTYPE (-2)

// pParam/cbParam: the parameter's storage (in for get, out for set);
// pCaller/pcbCaller: the caller's buffer and its size (in/out); wSrcType
// describes the source (the parameter for get, the caller for set) and
// wDstType the other side; iDirection TVC_GET or TVC_SET.
int TypedValueCopy(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                   WORD wDstType, int iDirection);
// Parameter -> caller.
int GetTypedValue(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                  WORD wDstType);
// Caller -> parameter.
int SetTypedValue(void* pParam, DWORD cbParam, void* pCaller, DWORD* pcbCaller, WORD wSrcType,
                  WORD wDstType);

// TRUE for 100, 138, 184..186, 204..209, 214..216 and 233.
BOOL bIsSpecialParamId(WORD wParamId);
