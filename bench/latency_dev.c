/* A slow device for benchmarks: a FUSE file system holding one file, "image", whose bytes are
 * those of a backing image file, and which waits a fixed time on every read, every write and
 * every flush (fsync) before it answers. Put a loop device with direct I/O on the exposed file
 * and a file system on the loop device, and every block request of that file system pays the
 * delays, as on a USB stick or an SD card, while the host disk under the image stays fast.
 *
 *     latency_dev [-r READ_MS] [-w WRITE_MS] [-s FLUSH_MS] IMAGE MOUNTPOINT [FUSE OPTIONS]
 *
 * The delays are in milliseconds (fractions allowed). Requests are served by several threads,
 * so requests in flight at once wait their delays side by side, like a device with a command
 * queue; a flush waits its own delay whatever else is in flight. A flush does not reach the
 * backing image: the image is scratch, and the host disk's own flush time would only add noise.
 * The program stays in the foreground until the file system is unmounted.
 */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static const char image_name[] = "/image";

static struct {
    int fd;
    off_t size;
    long read_ns;
    long write_ns;
    long flush_ns;
} device;

/* Waits the given time in full, also when a signal interrupts the sleep. */
static void wait_ns(long ns) {
    if (ns <= 0) {
        return;
    }
    struct timespec until;
    clock_gettime(CLOCK_MONOTONIC, &until);
    until.tv_sec += ns / 1000000000L;
    until.tv_nsec += ns % 1000000000L;
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) == EINTR) {
    }
}

static int dev_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    memset(st, 0, sizeof *st);
    if (strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (strcmp(path, image_name) != 0) {
        return -ENOENT;
    }
    st->st_mode = S_IFREG | 0600;
    st->st_nlink = 1;
    st->st_size = device.size;
    st->st_blksize = 4096;
    st->st_blocks = device.size / 512;
    return 0;
}

static int dev_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                       struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)offset;
    (void)fi;
    (void)flags;
    if (strcmp(path, "/") != 0) {
        return -ENOENT;
    }
    fill(buf, ".", NULL, 0, 0);
    fill(buf, "..", NULL, 0, 0);
    fill(buf, image_name + 1, NULL, 0, 0);
    return 0;
}

static int dev_open(const char* path, struct fuse_file_info* fi) {
    if (strcmp(path, image_name) != 0) {
        return -ENOENT;
    }
    /* Nothing of the image may linger in the kernel's cache of this file: every request of
     * the loop device has to reach this program and pay its delay. */
    fi->keep_cache = 0;
    return 0;
}

/* The transfer itself, in full or with the error of the call that failed. */
static int transfer(char* buf, size_t size, off_t offset, int writing) {
    if (offset >= device.size) {
        return writing ? -ENOSPC : 0;
    }
    if ((off_t)size > device.size - offset) {
        size = (size_t)(device.size - offset);
    }
    size_t done = 0;
    while (done < size) {
        ssize_t n = writing ? pwrite(device.fd, buf + done, size - done, offset + (off_t)done)
                            : pread(device.fd, buf + done, size - done, offset + (off_t)done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -errno;
        }
        if (n == 0) {
            break;
        }
        done += (size_t)n;
    }
    return (int)done;
}

static int dev_read(const char* path, char* buf, size_t size, off_t offset,
                    struct fuse_file_info* fi) {
    (void)path;
    (void)fi;
    int result = transfer(buf, size, offset, 0);
    wait_ns(device.read_ns);
    return result;
}

static int dev_write(const char* path, const char* buf, size_t size, off_t offset,
                     struct fuse_file_info* fi) {
    (void)path;
    (void)fi;
    int result = transfer((char*)buf, size, offset, 1);
    wait_ns(device.write_ns);
    return result;
}

static int dev_fsync(const char* path, int datasync, struct fuse_file_info* fi) {
    (void)path;
    (void)datasync;
    (void)fi;
    wait_ns(device.flush_ns);
    return 0;
}

/* close() of a descriptor: not a flush of the medium, so it costs nothing. */
static int dev_flush(const char* path, struct fuse_file_info* fi) {
    (void)path;
    (void)fi;
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = dev_getattr,
    .readdir = dev_readdir,
    .open = dev_open,
    .read = dev_read,
    .write = dev_write,
    .fsync = dev_fsync,
    .flush = dev_flush,
};

static int usage(void) {
    fprintf(stderr,
            "usage: latency_dev [-r READ_MS] [-w WRITE_MS] [-s FLUSH_MS] IMAGE MOUNTPOINT "
            "[FUSE OPTIONS]\n");
    return 2;
}

/* Milliseconds as given on the command line, in nanoseconds; -1 when not a number >= 0. */
static long parse_ms(const char* text) {
    char* end = NULL;
    double ms = strtod(text, &end);
    if (end == text || *end != '\0' || !(ms >= 0.0) || ms > 60000.0) {
        return -1;
    }
    return (long)(ms * 1e6 + 0.5);
}

int main(int argc, char** argv) {
    int arg = 1;
    while (arg + 1 < argc && argv[arg][0] == '-' && strlen(argv[arg]) == 2 &&
           strchr("rws", argv[arg][1]) != NULL) {
        long ns = parse_ms(argv[arg + 1]);
        if (ns < 0) {
            fprintf(stderr, "latency_dev: %s needs milliseconds, not '%s'\n", argv[arg],
                    argv[arg + 1]);
            return 2;
        }
        switch (argv[arg][1]) {
            case 'r':
                device.read_ns = ns;
                break;
            case 'w':
                device.write_ns = ns;
                break;
            default:
                device.flush_ns = ns;
                break;
        }
        arg += 2;
    }
    if (argc - arg < 2) {
        return usage();
    }
    const char* image = argv[arg];
    device.fd = open(image, O_RDWR | O_CLOEXEC);
    struct stat st;
    if (device.fd < 0 || fstat(device.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fprintf(stderr, "latency_dev: cannot open the image %s: %s\n", image,
                device.fd < 0 ? strerror(errno) : "not a regular file");
        return 1;
    }
    device.size = st.st_size;

    /* fuse_main gets: the mount point, foreground, and the caller's own FUSE options. */
    int fuse_argc = 0;
    char** fuse_argv = calloc((size_t)argc + 3, sizeof *fuse_argv);
    if (fuse_argv == NULL) {
        return 1;
    }
    fuse_argv[fuse_argc++] = argv[0];
    fuse_argv[fuse_argc++] = "-f";
    for (int i = arg + 1; i < argc; ++i) {
        fuse_argv[fuse_argc++] = argv[i];
    }
    int status = fuse_main(fuse_argc, fuse_argv, &operations, NULL);
    free(fuse_argv);
    close(device.fd);
    return status;
}
