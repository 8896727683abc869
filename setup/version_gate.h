// The version gate: which Windows the installer runs on.
#pragma once

// Returns true when this Windows version is supported; otherwise shows the refusal message
// (no owner, error icon) and returns false once it is dismissed.
bool CheckPlatformVersion();
