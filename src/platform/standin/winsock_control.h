// Control of the winsock stand-in: a receive fault that the network cannot be made to raise
// on demand.
#pragma once

namespace standin {

// The next receive on a datagram socket fails with this Winsock error (once); 0: none.
void failNextDatagramReceive(int error);

} // namespace standin
