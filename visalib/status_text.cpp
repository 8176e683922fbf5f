#include "visalib/status_text.h"

namespace visalib {

namespace {

struct StatusText
{
    ViStatus status;
    const char *text;
};

// Each text starts with the status's symbolic name so that logs can be searched by it.
constexpr StatusText kTexts[] = {
    {VI_SUCCESS, "VI_SUCCESS: Operation completed successfully."},
    {VI_SUCCESS_EVENT_EN, "VI_SUCCESS_EVENT_EN: The specified event is already enabled."},
    {VI_SUCCESS_EVENT_DIS, "VI_SUCCESS_EVENT_DIS: The specified event is already disabled."},
    {VI_SUCCESS_QUEUE_EMPTY,
     "VI_SUCCESS_QUEUE_EMPTY: Operation completed successfully, but the queue was empty."},
    {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR: The specified termination character was read."},
    {VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT: The number of bytes read is equal to the input count."},
    {VI_SUCCESS_DEV_NPRESENT, "VI_SUCCESS_DEV_NPRESENT: Session opened, but the device is not responding."},
    {VI_SUCCESS_TRIG_MAPPED, "VI_SUCCESS_TRIG_MAPPED: The path was already mapped."},
    {VI_SUCCESS_QUEUE_NEMPTY, "VI_SUCCESS_QUEUE_NEMPTY: Wait terminated, and more events are in the queue."},
    {VI_SUCCESS_NCHAIN, "VI_SUCCESS_NCHAIN: Event handled; the handler chain is not invoked further."},
    {VI_SUCCESS_NESTED_SHARED,
     "VI_SUCCESS_NESTED_SHARED: Shared lock acquired; the session already held one."},
    {VI_SUCCESS_NESTED_EXCLUSIVE,
     "VI_SUCCESS_NESTED_EXCLUSIVE: Exclusive lock acquired; the session already held one."},
    {VI_SUCCESS_SYNC, "VI_SUCCESS_SYNC: The asynchronous operation completed synchronously."},
    {VI_WARN_QUEUE_OVERFLOW, "VI_WARN_QUEUE_OVERFLOW: Events were lost because the queue overflowed."},
    {VI_WARN_CONFIG_NLOADED, "VI_WARN_CONFIG_NLOADED: The specified configuration was not loaded."},
    {VI_WARN_NULL_OBJECT, "VI_WARN_NULL_OBJECT: The specified object reference is not initialized."},
    {VI_WARN_NSUP_ATTR_STATE,
     "VI_WARN_NSUP_ATTR_STATE: The attribute state is not supported by this resource."},
    {VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS: The status code passed to the operation could not be "
                             "interpreted."},
    {VI_WARN_NSUP_BUF, "VI_WARN_NSUP_BUF: The specified buffer is not supported."},
    {VI_WARN_EXT_FUNC_NIMPL,
     "VI_WARN_EXT_FUNC_NIMPL: The operation succeeded, but a lower-level driver did not "
     "implement the extended functionality."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR: Unknown system error (miscellaneous error)."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT: The given session or object reference is invalid."},
    {VI_ERROR_RSRC_LOCKED, "VI_ERROR_RSRC_LOCKED: The resource is locked by another session."},
    {VI_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR: Invalid expression specified for search."},
    {VI_ERROR_RSRC_NFOUND,
     "VI_ERROR_RSRC_NFOUND: Insufficient location information or the requested resource "
     "is not present in the system."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME: Invalid resource reference specified. Parsing error."},
    {VI_ERROR_INV_ACC_MODE, "VI_ERROR_INV_ACC_MODE: Invalid access mode."},
    {VI_ERROR_TMO, "VI_ERROR_TMO: Timeout expired before operation completed."},
    {VI_ERROR_CLOSING_FAILED, "VI_ERROR_CLOSING_FAILED: Unable to deallocate the previously allocated data "
                              "structures of this session."},
    {VI_ERROR_INV_DEGREE, "VI_ERROR_INV_DEGREE: Specified degree is invalid."},
    {VI_ERROR_INV_JOB_ID, "VI_ERROR_INV_JOB_ID: Specified job identifier is invalid."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR: The specified attribute is not defined or not supported by the "
                         "referenced session."},
    {VI_ERROR_NSUP_ATTR_STATE,
     "VI_ERROR_NSUP_ATTR_STATE: The specified state of the attribute is not valid, or "
     "is not supported as defined by the session."},
    {VI_ERROR_ATTR_READONLY, "VI_ERROR_ATTR_READONLY: The specified attribute is read-only."},
    {VI_ERROR_INV_LOCK_TYPE, "VI_ERROR_INV_LOCK_TYPE: The specified type of lock is not supported."},
    {VI_ERROR_INV_ACCESS_KEY,
     "VI_ERROR_INV_ACCESS_KEY: The access key to the specified resource is invalid."},
    {VI_ERROR_INV_EVENT, "VI_ERROR_INV_EVENT: Specified event type is not supported by the resource."},
    {VI_ERROR_INV_MECH, "VI_ERROR_INV_MECH: Invalid mechanism specified."},
    {VI_ERROR_HNDLR_NINSTALLED, "VI_ERROR_HNDLR_NINSTALLED: A handler is not currently installed."},
    {VI_ERROR_INV_HNDLR_REF, "VI_ERROR_INV_HNDLR_REF: The given handler reference is invalid."},
    {VI_ERROR_INV_CONTEXT, "VI_ERROR_INV_CONTEXT: Specified event context is invalid."},
    {VI_ERROR_QUEUE_OVERFLOW, "VI_ERROR_QUEUE_OVERFLOW: The event queue has overflowed."},
    {VI_ERROR_NENABLED, "VI_ERROR_NENABLED: The session must be enabled for events of the specified type."},
    {VI_ERROR_ABORT, "VI_ERROR_ABORT: The operation was aborted."},
    {VI_ERROR_RAW_WR_PROT_VIOL,
     "VI_ERROR_RAW_WR_PROT_VIOL: Violation of the raw write protocol occurred during "
     "transfer."},
    {VI_ERROR_RAW_RD_PROT_VIOL,
     "VI_ERROR_RAW_RD_PROT_VIOL: Violation of the raw read protocol occurred during "
     "transfer."},
    {VI_ERROR_OUTP_PROT_VIOL,
     "VI_ERROR_OUTP_PROT_VIOL: Device reported an output protocol error during transfer."},
    {VI_ERROR_INP_PROT_VIOL,
     "VI_ERROR_INP_PROT_VIOL: Device reported an input protocol error during transfer."},
    {VI_ERROR_BERR, "VI_ERROR_BERR: Bus error occurred during transfer."},
    {VI_ERROR_IN_PROGRESS, "VI_ERROR_IN_PROGRESS: Unable to queue the operation because one is in progress."},
    {VI_ERROR_INV_SETUP, "VI_ERROR_INV_SETUP: The setup is invalid (attributes are inconsistent)."},
    {VI_ERROR_QUEUE_ERROR, "VI_ERROR_QUEUE_ERROR: Unable to queue the asynchronous operation."},
    {VI_ERROR_ALLOC,
     "VI_ERROR_ALLOC: Insufficient system resources to perform the necessary memory allocation."},
    {VI_ERROR_INV_MASK, "VI_ERROR_INV_MASK: Invalid buffer mask specified."},
    {VI_ERROR_IO, "VI_ERROR_IO: Could not perform operation because of an I/O error."},
    {VI_ERROR_INV_FMT, "VI_ERROR_INV_FMT: A format specifier in the format string is invalid."},
    {VI_ERROR_NSUP_FMT, "VI_ERROR_NSUP_FMT: A format specifier in the format string is not supported."},
    {VI_ERROR_LINE_IN_USE, "VI_ERROR_LINE_IN_USE: The specified trigger line is currently in use."},
    {VI_ERROR_NSUP_MODE,
     "VI_ERROR_NSUP_MODE: The specified mode is not supported by this VISA implementation."},
    {VI_ERROR_SRQ_NOCCURRED,
     "VI_ERROR_SRQ_NOCCURRED: Service request has not been received for the session."},
    {VI_ERROR_INV_SPACE, "VI_ERROR_INV_SPACE: Invalid address space specified."},
    {VI_ERROR_INV_OFFSET, "VI_ERROR_INV_OFFSET: Invalid offset specified."},
    {VI_ERROR_INV_WIDTH, "VI_ERROR_INV_WIDTH: Invalid access width specified."},
    {VI_ERROR_NSUP_OFFSET, "VI_ERROR_NSUP_OFFSET: The offset is not accessible from this hardware."},
    {VI_ERROR_NSUP_VAR_WIDTH, "VI_ERROR_NSUP_VAR_WIDTH: Cannot use different source and destination widths."},
    {VI_ERROR_WINDOW_NMAPPED, "VI_ERROR_WINDOW_NMAPPED: The session is not currently mapped."},
    {VI_ERROR_RESP_PENDING, "VI_ERROR_RESP_PENDING: A previous response is still pending."},
    {VI_ERROR_NLISTENERS, "VI_ERROR_NLISTENERS: No listeners condition is detected."},
    {VI_ERROR_NCIC, "VI_ERROR_NCIC: The interface is not currently the controller in charge."},
    {VI_ERROR_NSYS_CNTLR, "VI_ERROR_NSYS_CNTLR: The interface is not the system controller."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER: The session does not support this operation."},
    {VI_ERROR_INTR_PENDING, "VI_ERROR_INTR_PENDING: An interrupt is still pending from a previous call."},
    {VI_ERROR_ASRL_PARITY, "VI_ERROR_ASRL_PARITY: A parity error occurred during transfer."},
    {VI_ERROR_ASRL_FRAMING, "VI_ERROR_ASRL_FRAMING: A framing error occurred during transfer."},
    {VI_ERROR_ASRL_OVERRUN, "VI_ERROR_ASRL_OVERRUN: An overrun error occurred during transfer."},
    {VI_ERROR_TRIG_NMAPPED,
     "VI_ERROR_TRIG_NMAPPED: The path from the source to the destination is not mapped."},
    {VI_ERROR_NSUP_ALIGN_OFFSET, "VI_ERROR_NSUP_ALIGN_OFFSET: The offset is not properly aligned."},
    {VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF: A specified user buffer is not valid or cannot be accessed."},
    {VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY: The resource is valid, but VISA cannot currently access it."},
    {VI_ERROR_NSUP_WIDTH, "VI_ERROR_NSUP_WIDTH: The specified width is not supported by this hardware."},
    {VI_ERROR_INV_PARAMETER, "VI_ERROR_INV_PARAMETER: The value of a parameter is invalid."},
    {VI_ERROR_INV_PROT, "VI_ERROR_INV_PROT: The protocol specified is invalid."},
    {VI_ERROR_INV_SIZE, "VI_ERROR_INV_SIZE: Invalid size of window specified."},
    {VI_ERROR_WINDOW_MAPPED, "VI_ERROR_WINDOW_MAPPED: The session currently contains a mapped window."},
    {VI_ERROR_NIMPL_OPER, "VI_ERROR_NIMPL_OPER: The given operation is not implemented."},
    {VI_ERROR_INV_LENGTH, "VI_ERROR_INV_LENGTH: Invalid length specified."},
    {VI_ERROR_INV_MODE, "VI_ERROR_INV_MODE: The specified mode is invalid."},
    {VI_ERROR_SESN_NLOCKED,
     "VI_ERROR_SESN_NLOCKED: The current session did not have a lock on the resource."},
    {VI_ERROR_MEM_NSHARED, "VI_ERROR_MEM_NSHARED: The device does not export any memory."},
    {VI_ERROR_LIBRARY_NFOUND,
     "VI_ERROR_LIBRARY_NFOUND: A code library required by VISA could not be located or "
     "loaded."},
    {VI_ERROR_NSUP_INTR,
     "VI_ERROR_NSUP_INTR: The interface cannot generate an interrupt on the requested level."},
    {VI_ERROR_INV_LINE, "VI_ERROR_INV_LINE: The value specified by the line parameter is invalid."},
    {VI_ERROR_FILE_ACCESS,
     "VI_ERROR_FILE_ACCESS: An error occurred while trying to open the specified file."},
    {VI_ERROR_FILE_IO, "VI_ERROR_FILE_IO: An error occurred while accessing the specified file."},
    {VI_ERROR_NSUP_LINE, "VI_ERROR_NSUP_LINE: One of the specified lines is not supported by this "
                         "implementation."},
    {VI_ERROR_NSUP_MECH, "VI_ERROR_NSUP_MECH: The specified mechanism is not supported for the event type."},
    {VI_ERROR_INTF_NUM_NCONFIG, "VI_ERROR_INTF_NUM_NCONFIG: The interface type is valid, but the interface "
                                "number is not configured."},
    {VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST: The connection for the given session has been lost."},
    {VI_ERROR_MACHINE_NAVAIL,
     "VI_ERROR_MACHINE_NAVAIL: The remote machine does not exist or is not accepting "
     "any connections."},
    {VI_ERROR_NPERMISSION, "VI_ERROR_NPERMISSION: Access to the remote machine is denied."},
};

} // namespace

const char *statusDescription(ViStatus status)
{
    for (const StatusText &entry : kTexts) {
        if (entry.status == status) {
            return entry.text;
        }
    }
    return nullptr;
}

} // namespace visalib
