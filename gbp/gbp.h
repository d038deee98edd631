#ifndef LINKWELL_GBP_H
#define LINKWELL_GBP_H

/* Our phone service library: puts a phone on a serial port into its service
 * ("GBP") mode and reads, clears and writes its NVM files. Every call blocks
 * until it has a result, never longer than the time-outs written down in
 * docs/phone-protocol.md. One port at a time. Any thread may call; calls
 * from several threads take turns, each waiting for the one before to end. */

#include <stdint.h>

#if defined(_WIN32)
#  if defined(GBP_BUILDING)
#    define GBP_API __declspec(dllexport)
#  else
#    define GBP_API __declspec(dllimport)
#  endif
#else
#  define GBP_API __attribute__((visibility("default")))
#endif

/* Results. Sizes are 0 or positive; everything else is negative. */
#define GBP_OK 0
#define GBP_ALREADY_OPEN (-1)   /* InitGBPMode: a port is open already (still usable) */
#define GBP_NO_DEVICE (-2)      /* InitGBPMode: the port cannot be opened */
#define GBP_NO_ANSWER (-3)      /* InitGBPMode: no "OK" to the AT commands */
#define GBP_NOT_OPEN (-4)       /* any other call without an open link */
#define GBP_PROTOCOL_ERROR (-5) /* bad frames or no answer after every retry */
#define GBP_BAD_ARGUMENT (-7)   /* a null buffer or a negative size */
/* A non-zero status byte s in the phone's answer gives -(256 + s). */
#define GBP_STATUS_BASE (-256)
#define GBP_STATUS_RESULT(s) (GBP_STATUS_BASE - (int32_t)(s))

#ifdef __cplusplus
extern "C" {
#endif

/* Opens COM port `port` (1 to 255; see docs for the device it names) and
 * switches the phone into service mode. */
GBP_API int32_t InitGBPMode(uint8_t port);
/* Switches the phone back to its command mode and closes the port. */
GBP_API int32_t EndGBPMode(void);
/* The size in bytes of an NVM file. */
GBP_API int32_t GetNVMFileSize(int32_t section, int32_t subsection);
/* Reads an NVM file into `buffer`, at most `size` bytes; gives the file's real
 * size, which may exceed `size`. */
GBP_API int32_t ReadNVMFile(int32_t section, int32_t subsection, char* buffer, int32_t size);
/* Replaces an NVM file with `size` bytes of `data`. */
GBP_API int32_t WriteNVMFile(int32_t section, int32_t subsection, const char* data, int32_t size);
/* Empties an NVM file. */
GBP_API int32_t ClearNVMFile(int32_t section, int32_t subsection);

#ifdef __cplusplus
}
#endif

#endif
