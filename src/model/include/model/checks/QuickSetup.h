#pragma once
// The Quick Configuration Wizard without its windows: which sample checks a first
// configuration gets for the user's answers (the machines to watch, the kinds of checks
// wanted, the TCP services found open on each machine), and the probe that finds those
// services.  The Manager's wizard asks, probes in a worker thread and creates the checks
// through CSnCheckCreator, one group (one template check, several hosts) at a time.
#include <map>
#include <string>
#include <vector>

namespace quicksetup {

// A TCP service the probe looks for, and the check type that watches it.
struct Service {
    int Port;
    int Type;         // a TCP-based type, or TCP/IP (30) with the port
    const char* Name; // the check's name after "<HOSTS> - "
};
// The short list of ports probed, in the order the checks are made.
const std::vector<Service>& ProbedServices();

struct Answers {
    // The machines: this computer ("localhost") and/or the hosts of a list.
    bool ThisComputer = true;
    std::vector<std::string> Hosts;
    bool Ping = true;
    bool Services = true;
    // Disk space of the root file system and memory usage, for this computer only.
    bool DiskAndMemory = true;
    // The probed ports found open, per host ("localhost" for this computer).
    std::map<std::string, std::vector<int>> OpenPorts;
};

// One check template and the hosts it is created for (the name holds "<HOSTS>").
struct Group {
    int Type = 0;
    std::string Name;
    int Port = 0; // for TCP/IP (30) only; the typed services keep their own default
    std::vector<std::string> Hosts;
    bool operator==(const Group&) const = default;
};

// The machines to watch, "localhost" first, each once.
std::vector<std::string> Machines(const Answers& answers);
// The checks to create: ping for every machine, each open service for the machines it is
// open on, then disk space and memory of this computer.
std::vector<Group> Plan(const Answers& answers);

// The ports of `ports` that accept a TCP connection on `host` within `timeoutMs` (all
// tried at once); empty when the host cannot be resolved.
std::vector<int> OpenPorts(const std::string& host, const std::vector<int>& ports, int timeoutMs);

} // namespace quicksetup
