#ifndef LISTFORGE_VISA_VISADEFS_H
#define LISTFORGE_VISA_VISADEFS_H

#include <QtGlobal>

// The few VISA I/O types, constants and entry-point signatures this binding needs, taken from
// the published VISA standard. They are declared here rather than taken from a vendor header so
// that any conforming library (the project's own or a vendor's) can be loaded at run time.
namespace Visa {

using ViStatus = qint32;
using ViSession = quint32;
using ViObject = quint32;
using ViFindList = quint32;
using ViAttr = quint32;
// 64 bits wide: on 64-bit platforms the standard defines the attribute state as 64-bit, and a
// library built with 32-bit states still reads the low half correctly, so passing 64 bits is
// right for both.
using ViAttrState = quint64;

constexpr ViStatus VI_SUCCESS = 0;
constexpr ViStatus VI_SUCCESS_TERM_CHAR = 0x3FFF0005;
constexpr ViStatus VI_SUCCESS_MAX_CNT = 0x3FFF0006;
constexpr ViStatus VI_ERROR_RSRC_NFOUND = static_cast<ViStatus>(0xBFFF0011u);
constexpr ViStatus VI_ERROR_LIBRARY_NFOUND = static_cast<ViStatus>(0xBFFF009Eu);
constexpr ViStatus VI_ERROR_TMO = static_cast<ViStatus>(0xBFFF0015u);

constexpr ViAttr VI_ATTR_SEND_END_EN = 0x3FFF0016;
constexpr ViAttr VI_ATTR_TERMCHAR = 0x3FFF0018;
constexpr ViAttr VI_ATTR_TMO_VALUE = 0x3FFF001A;
constexpr ViAttr VI_ATTR_RD_BUF_OPER_MODE = 0x3FFF002A;
constexpr ViAttr VI_ATTR_WR_BUF_OPER_MODE = 0x3FFF002D;
constexpr ViAttr VI_ATTR_TERMCHAR_EN = 0x3FFF0038;
constexpr ViAttr VI_ATTR_INTF_TYPE = 0x3FFF0171;

constexpr quint16 VI_READ_BUF = 1;
constexpr quint16 VI_WRITE_BUF = 2;
constexpr quint16 VI_FLUSH_ON_ACCESS = 1;
constexpr quint16 VI_GPIB_REN_DEASSERT_GTL = 2;
constexpr quint16 VI_INTF_GPIB = 1;

constexpr quint32 VI_NO_LOCK = 0;
constexpr ViObject VI_NULL = 0;

// Signatures of the entry points, resolved by name from the loaded library.
extern "C" {
using FnViOpenDefaultRM = ViStatus (*)(ViSession *rm);
using FnViStatusDesc = ViStatus (*)(ViObject vi, ViStatus status, char desc[]);
using FnViOpen = ViStatus (*)(ViSession rm, const char *rsrc, quint32 accessMode, quint32 openTimeout,
                              ViSession *vi);
using FnViClose = ViStatus (*)(ViObject vi);
using FnViClear = ViStatus (*)(ViSession vi);
using FnViGpibControlREN = ViStatus (*)(ViSession vi, quint16 mode);
using FnViRead = ViStatus (*)(ViSession vi, unsigned char *buf, quint32 count, quint32 *retCount);
using FnViWrite = ViStatus (*)(ViSession vi, const unsigned char *buf, quint32 count, quint32 *retCount);
using FnViSetAttribute = ViStatus (*)(ViObject vi, ViAttr attr, ViAttrState value);
using FnViGetAttribute = ViStatus (*)(ViObject vi, ViAttr attr, void *value);
using FnViSetBuf = ViStatus (*)(ViSession vi, quint16 mask, quint32 size);
using FnViFindRsrc = ViStatus (*)(ViSession rm, const char *expr, ViFindList *list, quint32 *count,
                                  char desc[]);
using FnViFindNext = ViStatus (*)(ViFindList list, char desc[]);
}

} // namespace Visa

#endif
