#pragma once

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace orlo::test {

// For tests and benchmarks that need addresses which never answer: moves the calling process (which
// must have one thread) into a network namespace of its own whose only interface is loopback, and
// routes each A.B.C.0/24 given to loopback. Packets to those addresses then go nowhere, and nothing
// can leave the namespace. Addresses given as local ones become loopback's own (they answer, and
// servers may listen on them), also inside a silent range. Root gets a plain network namespace;
// anyone else a user namespace with it, where the kernel allows that. False, with the reason, when
// neither can be made.
class PrivateNetwork {
public:
    using Prefix = std::array<std::uint8_t, 3>;
    using Address = std::array<std::uint8_t, 4>;

    static bool Enter(const std::vector<Prefix>& silentRanges, std::string& why,
                      const std::vector<Address>& localAddresses = {}) {
        if (::unshare(CLONE_NEWNET) != 0 && !EnterAsUser(why)) {
            return false;
        }
        const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (control < 0) {
            why = std::string("socket: ") + std::strerror(errno);
            return false;
        }
        bool ready = LoopbackUp(control, why);
        for (const Prefix& prefix : silentRanges) {
            ready = ready && RouteToLoopback(control, prefix, why);
        }
        for (std::size_t i = 0; i < localAddresses.size(); ++i) {
            ready = ready && AddLoopbackAddress(control, static_cast<int>(i + 1), localAddresses[i], why);
        }
        ::close(control);
        return ready;
    }

private:
    static bool WriteFile(const char* path, const std::string& text) {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        return written;
    }

    static bool EnterAsUser(std::string& why) {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            why = std::string("cannot create a network namespace: ") + std::strerror(errno);
            return false;
        }
        // Root inside the new user namespace owns the new network namespace.
        if (!WriteFile("/proc/self/setgroups", "deny") ||
            !WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            why = "cannot map the user into the new user namespace";
            return false;
        }
        return true;
    }

    static bool LoopbackUp(int control, std::string& why) {
        ifreq request{};
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
        if (::ioctl(control, SIOCGIFFLAGS, &request) != 0) {
            why = std::string("loopback flags: ") + std::strerror(errno);
            return false;
        }
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        if (::ioctl(control, SIOCSIFFLAGS, &request) != 0) {
            why = std::string("loopback up: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

    // Loopback's alias lo:N with the address alone (/32).
    static bool AddLoopbackAddress(int control, int alias, const Address& address, std::string& why) {
        ifreq request{};
        const std::string name = "lo:" + std::to_string(alias);
        std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
        auto* value = reinterpret_cast<sockaddr_in*>(&request.ifr_addr);
        value->sin_family = AF_INET;
        value->sin_addr.s_addr = htonl(std::uint32_t{address[0]} << 24 | std::uint32_t{address[1]} << 16 |
                                       std::uint32_t{address[2]} << 8 | address[3]);
        if (::ioctl(control, SIOCSIFADDR, &request) != 0) {
            why = std::string("loopback address: ") + std::strerror(errno);
            return false;
        }
        value->sin_addr.s_addr = htonl(0xFFFFFFFF);
        if (::ioctl(control, SIOCSIFNETMASK, &request) != 0) {
            why = std::string("loopback address mask: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

    static bool RouteToLoopback(int control, const Prefix& prefix, std::string& why) {
        rtentry route{};
        auto* destination = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
        destination->sin_family = AF_INET;
        destination->sin_addr.s_addr = htonl(std::uint32_t{prefix[0]} << 24 | std::uint32_t{prefix[1]} << 16 |
                                             std::uint32_t{prefix[2]} << 8);
        auto* mask = reinterpret_cast<sockaddr_in*>(&route.rt_genmask);
        mask->sin_family = AF_INET;
        mask->sin_addr.s_addr = htonl(0xFFFFFF00);
        char device[] = "lo";
        route.rt_dev = device;
        route.rt_flags = RTF_UP;
        if (::ioctl(control, SIOCADDRT, &route) != 0) {
            why = std::string("route to loopback: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
};

} // namespace orlo::test
