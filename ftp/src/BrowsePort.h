// Tests and the window benchmark point the window's runs at their local server with this
// process-wide override of BrowsePort(); 0 puts the FTP default back. Not part of the
// public interface: only they include this header.
#pragma once

#include <cstdint>

namespace ftp {

void SetBrowsePortForTesting(std::uint16_t port);

} // namespace ftp
