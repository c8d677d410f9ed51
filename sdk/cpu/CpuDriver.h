// How the processor code reaches the driver channel: through the facade,
// only while the facade exists and has a channel.
#pragma once

class CKMDriver;

// The facade's driver channel, or null.
CKMDriver* CpuDriver();
