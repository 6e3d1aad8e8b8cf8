// SPDX-License-Identifier: GPL-3.0-or-later
// The cross-probe port of KiCad 6's PCB editor (TCP on 127.0.0.1, 4242 by default): one
// connection per message, which the editor reads and never answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace pcbhost::kicadlink {

class CrossProbeClient {
  public:
    static constexpr uint16_t kDefaultPort = 4242;

    explicit CrossProbeClient(uint16_t port = kDefaultPort) : port_(port) {}

    // Whether something accepts connections on the port.
    bool Probe(std::chrono::milliseconds deadline, std::string* error) const;
    // Selects the footprint `refDes` in the editor ("$PART: "refDes"").
    bool SelectPart(const std::string& refDes, std::chrono::milliseconds deadline,
                    std::string* error) const;

    uint16_t port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    bool Send(const std::string& message, std::chrono::milliseconds deadline,
              std::string* error) const;

    uint16_t port_;
};

}  // namespace pcbhost::kicadlink
