/* A host written in C that runs its own poll loop on the library's descriptor and
 * talks to a small echo server it forks itself. Exit status 0 when all went well. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "kestrup.h"

static char received[4096];
static size_t receivedLength;
static int statusLines;

static void on_status(const char* text) {
    if (strncmp(text, "Status=", 7) == 0) {
        ++statusLines;
        return;
    }
    size_t n = strlen(text);
    if (receivedLength + n < sizeof received) {
        memcpy(received + receivedLength, text, n);
        receivedLength += n;
        received[receivedLength] = '\0';
    }
}

/* Echoes every piece prefixed with "echo:" until it reads "bye", then closes. */
static void serve(int listener) {
    int fd = accept(listener, NULL, NULL);
    if (fd < 0) _exit(2);
    const char* welcome = "welcome;";
    send(fd, welcome, strlen(welcome), MSG_NOSIGNAL);
    char buf[1024];
    char seen[4096] = "";
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf - 1, 0);
        if (n <= 0) break;
        buf[n] = '\0';
        char reply[1100];
        snprintf(reply, sizeof reply, "echo:%s;", buf);
        send(fd, reply, strlen(reply), MSG_NOSIGNAL);
        strncat(seen, buf, sizeof seen - strlen(seen) - 1);
        if (strstr(seen, "bye")) break;
    }
    close(fd);
    _exit(0);
}

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* The host's loop: sleeps in poll() on the library's descriptor until something is
 * pending, then dispatches; gives up after ms. */
static int loop_until_text(const char* text, int ms) {
    int fd = Kestrup_Event_Fd();
    double end = now_ms() + ms;
    while (!strstr(received, text)) {
        if (now_ms() > end) return 0;
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) Kestrup_Dispatch();
    }
    return 1;
}

static int loop_until_closed(int ms) {
    int fd = Kestrup_Event_Fd();
    double end = now_ms() + ms;
    while (Server_Connected()) {
        if (now_ms() > end) return 0;
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) Kestrup_Dispatch();
    }
    return 1;
}

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fprintf(stderr, "failed: %s (line %d); received \"%s\"\n", #cond, __LINE__, received); \
            failures++;                                                                            \
        }                                                                                          \
    } while (0)

int main(void) {
    int failures = 0;
    alarm(30); /* a hung loop ends the test */
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in a;
    memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(listener, (struct sockaddr*)&a, sizeof a) < 0 || listen(listener, 1) < 0 ||
        getsockname(listener, (struct sockaddr*)&a, &len) < 0) {
        perror("listen");
        return 1;
    }
    pid_t child = fork();
    if (child == 0) serve(listener);
    close(listener);

    CHECK(Server_Connect("127.0.0.1", "", ntohs(a.sin_port), on_status) == 1);
    CHECK(statusLines == 1);
    CHECK(loop_until_text("welcome;", 5000));
    CHECK(Server_Connected() == 1);
    CHECK(Server_Post("hello") == 1);
    CHECK(loop_until_text("echo:hello;", 5000));
    CHECK(Server_Post("bye") == 1);
    CHECK(loop_until_text("echo:bye;", 5000));
    CHECK(loop_until_closed(5000));
    CHECK(Server_Post("late") == 0);
    CHECK(Server_Disconnect() == 1);
    CHECK(strcmp(received, "welcome;echo:hello;echo:bye;") == 0);

    int status = 0;
    waitpid(child, &status, 0);
    CHECK(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (failures == 0) printf("server host ok\n");
    return failures == 0 ? 0 : 1;
}
