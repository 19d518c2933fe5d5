// The door's switches that parts without a caller read too.
#pragma once

// Full debug mode (switch /D); the engine's debug log reads it.
extern bool debug_mode;
