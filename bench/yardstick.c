/* The least a shredder must do to a folder of files, as a yardstick for quorrel-shred on slow
 * devices: for each file, every pass written over its whole length and fdatasync'ed before the
 * next, then ftruncate to 0, one rename to a fresh name in the same folder, and unlink; at the
 * end the folder itself is removed. No flush beyond one per pass, no checks, no log.
 *
 *     yardstick [-j FILES_IN_FLIGHT] [-p BYTE,BYTE,...] [-v] FOLDER
 *
 * -v reads each file back after its last pass, before it is cut: opened again with O_DIRECT,
 * read whole and compared with the last pass, as the least a --verify run must do per file.
 *
 * -j 1 (the default) works one file at a time; -j N runs N threads that each take the next file
 * not yet taken, so that N files are in flight and the device's waits overlap. Passes default
 * to 0x00,0xFF,0x00 (quorrel-shred's method 1); -p 0 is method 0. Exit status 0 when every file
 * and the folder are gone, 1 otherwise.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define CHUNK (256 * 1024)
#define MAX_PASSES 64
#define MAX_JOBS 256

static struct {
    int dir_fd;
    char** names;
    size_t count;
    atomic_size_t next;
    atomic_int failed;
    unsigned char passes[MAX_PASSES];
    int pass_count;
    int verify;
} job;

static void report(const char* what, const char* name) {
    fprintf(stderr, "yardstick: %s %s: %s\n", what, name, strerror(errno));
    atomic_store(&job.failed, 1);
}

static int write_pass(int fd, off_t length, unsigned char* chunk) {
    off_t done = 0;
    while (done < length) {
        size_t want = length - done < CHUNK ? (size_t)(length - done) : CHUNK;
        ssize_t n = pwrite(fd, chunk, want, done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return -1;
        }
        done += n;
    }
    return fdatasync(fd);
}

/* Reads the file back from the medium and compares it with the last pass; 0 when it matches. */
static int read_back(const char* name, off_t length, const unsigned char* last) {
    int fd = openat(job.dir_fd, name, O_RDONLY | O_DIRECT | O_NOFOLLOW | O_CLOEXEC);
    unsigned char* buffer = fd < 0 ? NULL : aligned_alloc(4096, CHUNK);
    int status = buffer == NULL ? -1 : 0;
    for (off_t done = 0; status == 0 && done < length;) {
        ssize_t n = pread(fd, buffer, CHUNK, done);
        if (n <= 0 || memcmp(buffer, last, (size_t)n) != 0) {
            status = -1;
        }
        done += n;
    }
    free(buffer);
    if (fd >= 0) {
        close(fd);
    }
    return status;
}

/* One file, start to end; the fresh name is unique per file (its index), so threads never
 * collide. */
static void shred_one(size_t index, unsigned char (*chunks)[CHUNK]) {
    const char* name = job.names[index];
    int fd = openat(job.dir_fd, name, O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        report("cannot open", name);
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    for (int p = 0; p < job.pass_count; ++p) {
        if (write_pass(fd, st.st_size, chunks[job.passes[p]]) != 0) {
            report("cannot write", name);
            close(fd);
            return;
        }
    }
    if (job.verify && read_back(name, st.st_size, chunks[job.passes[job.pass_count - 1]]) != 0) {
        report("did not read back", name);
        close(fd);
        return;
    }
    char fresh[32];
    snprintf(fresh, sizeof fresh, ".y%012zx", index);
    if (ftruncate(fd, 0) != 0 || close(fd) != 0) {
        report("cannot truncate", name);
        return;
    }
    if (renameat(job.dir_fd, name, job.dir_fd, fresh) != 0 || unlinkat(job.dir_fd, fresh, 0) != 0) {
        report("cannot remove", name);
    }
}

/* The chunks of every byte value a pass may write, filled once and shared read-only. */
static unsigned char (*byte_chunks)[CHUNK];

static void* worker(void* unused) {
    (void)unused;
    for (;;) {
        size_t index = atomic_fetch_add(&job.next, 1);
        if (index >= job.count) {
            return NULL;
        }
        shred_one(index, byte_chunks);
    }
}

/* Reads the names of the folder's entries other than . and .. into job.names. */
static int list_folder(void) {
    int fd = dup(job.dir_fd);
    DIR* dir = fd < 0 ? NULL : fdopendir(fd);
    if (dir == NULL) {
        return -1;
    }
    size_t room = 0;
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        if (job.count == room) {
            room = room ? room * 2 : 1024;
            char** grown = realloc(job.names, room * sizeof *grown);
            if (grown == NULL) {
                closedir(dir);
                return -1;
            }
            job.names = grown;
        }
        job.names[job.count] = strdup(entry->d_name);
        if (job.names[job.count++] == NULL) {
            closedir(dir);
            return -1;
        }
    }
    closedir(dir);
    return 0;
}

static int parse_passes(const char* text) {
    job.pass_count = 0;
    while (*text != '\0') {
        char* end = NULL;
        unsigned long value = strtoul(text, &end, 0);
        if (end == text || value > 255 || job.pass_count == MAX_PASSES) {
            return -1;
        }
        job.passes[job.pass_count++] = (unsigned char)value;
        text = end + (*end == ',');
    }
    return job.pass_count > 0 ? 0 : -1;
}

int main(int argc, char** argv) {
    long jobs = 1;
    static const unsigned char method1[] = {0x00, 0xFF, 0x00};
    memcpy(job.passes, method1, sizeof method1);
    job.pass_count = 3;
    int opt;
    while ((opt = getopt(argc, argv, "j:p:v")) != -1) {
        if (opt == 'j') {
            jobs = strtol(optarg, NULL, 10);
        } else if (opt == 'v') {
            job.verify = 1;
        } else if (opt != 'p' || parse_passes(optarg) != 0) {
            opt = '?';
        }
        if (opt == '?' || jobs < 1 || jobs > MAX_JOBS) {
            fprintf(stderr, "usage: yardstick [-j 1..%d] [-p BYTE,BYTE,...] [-v] FOLDER\n",
                    MAX_JOBS);
            return 2;
        }
    }
    if (optind + 1 != argc) {
        fprintf(stderr, "usage: yardstick [-j 1..%d] [-p BYTE,BYTE,...] [-v] FOLDER\n", MAX_JOBS);
        return 2;
    }
    const char* folder = argv[optind];
    job.dir_fd = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (job.dir_fd < 0 || list_folder() != 0) {
        report("cannot read the folder", folder);
        return 1;
    }
    byte_chunks = malloc(256 * sizeof *byte_chunks);
    if (byte_chunks == NULL) {
        return 1;
    }
    for (int p = 0; p < job.pass_count; ++p) {
        memset(byte_chunks[job.passes[p]], job.passes[p], CHUNK);
    }

    pthread_t threads[MAX_JOBS];
    long started = 0;
    for (; started < jobs; ++started) {
        if (pthread_create(&threads[started], NULL, worker, NULL) != 0) {
            break;
        }
    }
    if (started == 0) {
        worker(NULL);
    }
    for (long t = 0; t < started; ++t) {
        pthread_join(threads[t], NULL);
    }
    close(job.dir_fd);
    if (!atomic_load(&job.failed) && rmdir(folder) != 0) {
        report("cannot remove the folder", folder);
    }
    return atomic_load(&job.failed) ? 1 : 0;
}
