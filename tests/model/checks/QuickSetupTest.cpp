// Which sample checks the Quick Configuration Wizard makes for which answers, and the probe
// that finds the open services (against listeners of the test's own on loopback).
#include "model/checks/CheckTypes.h"
#include "model/checks/QuickSetup.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using quicksetup::Answers;
using quicksetup::Group;

TEST(QuickSetupTest, PlanForTheAnswers) {
    using Hosts = std::vector<std::string>;
    const Group ping{kTypeIcmpPing, "<HOSTS> - Ping", 0, {"localhost"}};
    const Group disk{kTypeDiskSpace, "<HOSTS> - Disk Space", 0, {"localhost"}};
    const Group memory{kTypeMemoryUsage, "<HOSTS> - Memory Usage", 0, {"localhost"}};
    struct Row {
        Answers answers;
        std::vector<Group> plan;
    };
    Answers hostsOnly;
    hostsOnly.ThisComputer = false;
    hostsOnly.Hosts = {"db", "", "web", "db"}; // blanks and repeats dropped
    hostsOnly.OpenPorts = {{"web", {80, 443}}, {"db", {5432, 80}}, {"other", {22}}};
    Answers local;
    local.Hosts = {"localhost"};
    local.OpenPorts = {{"localhost", {22, 3306}}};
    Answers nothing = local;
    nothing.Ping = nothing.Services = nothing.DiskAndMemory = false;
    Answers noMachine;
    noMachine.ThisComputer = false;
    const Row rows[] = {
        {hostsOnly,
         {{kTypeIcmpPing, "<HOSTS> - Ping", 0, Hosts{"db", "web"}},
          {kTypeHttp, "<HOSTS> - HTTP", 0, Hosts{"db", "web"}},
          {kTypeTcpIp, "<HOSTS> - HTTPS", 443, Hosts{"web"}},
          {kTypeTcpIp, "<HOSTS> - PostgreSQL", 5432, Hosts{"db"}}}},
        {local, {ping, {kTypeSsh, "<HOSTS> - SSH", 0, Hosts{"localhost"}},
                 {kTypeTcpIp, "<HOSTS> - MySQL", 3306, Hosts{"localhost"}}, disk, memory}},
        {nothing, {}},
        {noMachine, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(quicksetup::Plan(row.answers), row.plan) << &row - rows;
}

TEST(QuickSetupTest, ProbeFindsTheListeningPortsOnly) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const int open = ntohs(address.sin_port);
    // A port bound but not listening refuses connections.
    const int closedSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    address.sin_port = 0;
    ::bind(closedSocket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(closedSocket, reinterpret_cast<sockaddr*>(&address), &size);
    const int closed = ntohs(address.sin_port);

    EXPECT_EQ(quicksetup::OpenPorts("127.0.0.1", {closed, open}, 2000), std::vector<int>{open});
    ::close(listener);
    ::close(closedSocket);
}
