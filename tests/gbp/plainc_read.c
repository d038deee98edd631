/* A plain C program, the kind of caller libgbp is for: no Qt, no C++, its
 * own threads. It opens COM1 (LINKWELL_COM1 names the emulator's device),
 * reads the favourites file from a second thread, and checks the bytes
 * against the image the emulator was seeded with (argv[1]). Complaints go to
 * standard output: standard error belongs to the library, which must keep
 * quiet. */

#include "gbp/gbp.h"

#include <pthread.h>
#include <stdio.h>
#include <string.h>

enum { Capacity = 2000 };

struct Read {
    int32_t result;
    char buffer[Capacity];
};

static void* readFavourites(void* argument)
{
    struct Read* read = argument;
    read->result = ReadNVMFile(2, 1, read->buffer, Capacity);
    return NULL;
}

int main(int argc, char** argv)
{
    static char expected[Capacity];
    static struct Read read;
    FILE* image;
    size_t expectedSize;
    pthread_t thread;
    int32_t result;

    if (argc != 2 || !(image = fopen(argv[1], "rb"))) {
        printf("usage: plainc_read IMAGE\n");
        return 2;
    }
    expectedSize = fread(expected, 1, Capacity, image);
    fclose(image);

    result = InitGBPMode(1);
    if (result != GBP_OK) {
        printf("InitGBPMode: %d\n", (int)result);
        return 1;
    }
    memset(read.buffer, 0x55, Capacity);
    if (pthread_create(&thread, NULL, readFavourites, &read) != 0 || pthread_join(thread, NULL) != 0) {
        printf("no thread\n");
        return 1;
    }
    if (read.result != (int32_t)expectedSize) {
        printf("ReadNVMFile: %d, expected %d\n", (int)read.result, (int)expectedSize);
        return 1;
    }
    if (memcmp(read.buffer, expected, expectedSize) != 0) {
        printf("ReadNVMFile: the bytes differ from %s\n", argv[1]);
        return 1;
    }
    result = GetNVMFileSize(2, 1);
    if (result != (int32_t)expectedSize) {
        printf("GetNVMFileSize: %d\n", (int)result);
        return 1;
    }
    result = EndGBPMode();
    if (result != GBP_OK) {
        printf("EndGBPMode: %d\n", (int)result);
        return 1;
    }
    printf("read %d bytes\n", (int)read.result);
    return 0;
}
