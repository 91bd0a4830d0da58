// A Unix socket at the path given that takes connections into its queue and
// never answers, as a hung compositor's does; says "listening" once it does,
// and stays until it is ended.
#include <cstdio>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (argc != 2 || std::strlen(argv[1]) >= sizeof address.sun_path) {
        std::fprintf(stderr, "usage: silent_socket PATH\n");
        return 2;
    }
    std::strcpy(address.sun_path, argv[1]);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        std::perror("silent_socket");
        return 1;
    }
    std::puts("listening");
    std::fflush(stdout);
    for (;;) pause();
}
