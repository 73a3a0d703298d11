/* The least a tool must do to overwrite a file in place with constant passes: for each pass,
 * write the whole length from the start in 256 KiB writes through the page cache and call
 * fdatasync once; then cut the file to length 0 and unlink it. A floor for quorrel-shred's
 * method 1 (three passes: 0x00, 0xFF, 0x00), used by compare_shred.sh's "minimal" case.
 *
 *     min_writer [-p BYTE,BYTE,...] FILE      (default passes: 0x00,0xFF,0x00)
 */
#define _POSIX_C_SOURCE 200809L
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define CHUNK (256 * 1024)

static int fail(const char* what, const char* path) {
    fprintf(stderr, "min_writer: %s %s: %s\n", what, path, strerror(errno));
    return 1;
}

static int write_pass(int fd, off_t length, unsigned char byte, unsigned char* chunk) {
    off_t done = 0;
    memset(chunk, byte, CHUNK);
    while (done < length) {
        size_t want = length - done < CHUNK ? (size_t)(length - done) : CHUNK;
        ssize_t n = pwrite(fd, chunk, want, done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        done += n;
    }
    return fdatasync(fd);
}

int main(int argc, char** argv) {
    unsigned char passes[64] = {0x00, 0xFF, 0x00};
    int count = 3;
    int arg = 1;
    if (argc == 4 && strcmp(argv[1], "-p") == 0) {
        char* next = argv[2];
        for (count = 0; count < 64 && *next != '\0'; ++count) {
            passes[count] = (unsigned char)strtoul(next, &next, 0);
            next += *next == ',';
        }
        arg = 3;
    }
    if (argc != arg + 1) {
        fprintf(stderr, "usage: min_writer [-p BYTE,BYTE,...] FILE\n");
        return 2;
    }
    const char* path = argv[arg];
    static unsigned char chunk[CHUNK];
    int fd = open(path, O_WRONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        return fail("cannot open", path);
    }
    for (int p = 0; p < count; ++p) {
        if (write_pass(fd, st.st_size, passes[p], chunk) != 0) {
            return fail("cannot write", path);
        }
    }
    if (ftruncate(fd, 0) != 0 || close(fd) != 0 || unlink(path) != 0) {
        return fail("cannot remove", path);
    }
    return 0;
}
