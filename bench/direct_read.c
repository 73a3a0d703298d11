/* One read of files from the medium itself, as the floor of what a read-back after shredding
 * must cost: every file opened with O_DIRECT and read from start to end in reads of 4 MiB (as
 * `dd bs=4M iflag=direct`), nothing compared, nothing kept.
 *
 *     direct_read [-j FILES_AT_ONCE] PATH...
 *
 * A PATH that is a folder stands for every regular file in it (not below). -j 1 (the default)
 * reads one file at a time; -j N runs N threads that each take the next file, so N reads are
 * in flight, as quorrel-shred's files in flight read theirs back side by side. Exit status 0
 * when every file was read to its end, 1 otherwise.
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

#define READ_BYTES (4 * 1024 * 1024)
#define MAX_JOBS 256

static struct {
    char** paths;
    size_t count;
    size_t capacity;
    atomic_size_t next;
    atomic_int failed;
} job;

static void report(const char* what, const char* path) {
    fprintf(stderr, "direct_read: %s %s: %s\n", what, path, strerror(errno));
    atomic_store(&job.failed, 1);
}

static void add_path(const char* path) {
    if (job.count == job.capacity) {
        job.capacity = job.capacity ? job.capacity * 2 : 1024;
        job.paths = realloc(job.paths, job.capacity * sizeof *job.paths);
        if (!job.paths) {
            perror("direct_read");
            exit(1);
        }
    }
    job.paths[job.count++] = strdup(path);
}

/* A folder's regular files, or the path itself. */
static void add_argument(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) {
        report("cannot stat", path);
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        add_path(path);
        return;
    }
    DIR* dir = opendir(path);
    if (!dir) {
        report("cannot list", path);
        return;
    }
    char full[4096];
    for (struct dirent* e; (e = readdir(dir)) != NULL;) {
        if (e->d_type == DT_REG) {
            snprintf(full, sizeof full, "%s/%s", path, e->d_name);
            add_path(full);
        }
    }
    closedir(dir);
}

static void read_one(const char* path, char* buffer) {
    int fd = open(path, O_RDONLY | O_DIRECT | O_CLOEXEC);
    if (fd < 0) {
        report("cannot open", path);
        return;
    }
    for (off_t at = 0;;) {
        ssize_t n = pread(fd, buffer, READ_BYTES, at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            report("cannot read", path);
            break;
        }
        if (n == 0) {
            break;
        }
        at += n;
    }
    close(fd);
}

static void* worker(void* unused) {
    (void)unused;
    char* buffer = aligned_alloc(4096, READ_BYTES);
    if (!buffer) {
        atomic_store(&job.failed, 1);
        return NULL;
    }
    for (size_t i; (i = atomic_fetch_add(&job.next, 1)) < job.count;) {
        read_one(job.paths[i], buffer);
    }
    free(buffer);
    return NULL;
}

int main(int argc, char** argv) {
    int jobs = 1;
    int opt;
    while ((opt = getopt(argc, argv, "j:")) != -1) {
        if (opt != 'j' || (jobs = atoi(optarg)) < 1 || jobs > MAX_JOBS) {
            fprintf(stderr, "usage: direct_read [-j 1..%d] PATH...\n", MAX_JOBS);
            return 2;
        }
    }
    if (optind >= argc) {
        fprintf(stderr, "usage: direct_read [-j 1..%d] PATH...\n", MAX_JOBS);
        return 2;
    }
    for (int i = optind; i < argc; ++i) {
        add_argument(argv[i]);
    }
    pthread_t threads[MAX_JOBS];
    for (int t = 0; t < jobs; ++t) {
        if (pthread_create(&threads[t], NULL, worker, NULL) != 0) {
            fprintf(stderr, "direct_read: cannot start a thread\n");
            return 1;
        }
    }
    for (int t = 0; t < jobs; ++t) {
        pthread_join(threads[t], NULL);
    }
    return atomic_load(&job.failed) ? 1 : 0;
}
