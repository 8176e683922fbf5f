#include "visalib/vxi11_codec.h"

namespace visalib {

bool_t decodeBoundedReadResponse(XDR *xdrs, BoundedReadResponse *response)
{
    if (xdrs->x_op != XDR_DECODE) {
        // Only ever used for results; there is nothing of ours to free either.
        return xdrs->x_op == XDR_FREE;
    }
    if (!xdr_long(xdrs, &response->error) || !xdr_long(xdrs, &response->reason)) {
        return FALSE;
    }
    u_int length = 0;
    if (!xdr_u_int(xdrs, &length)) {
        return FALSE;
    }
    if (length > response->capacity) {
        return FALSE;
    }
    if (length > 0 && !xdr_opaque(xdrs, response->data, length)) {
        return FALSE;
    }
    response->length = length;
    return TRUE;
}

} // namespace visalib
