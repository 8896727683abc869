// Start-up hardening of both programs against what others may have put in their way.
#pragma once

// Keeps DLLs planted beside the program from being loaded: restricts the DLL search to the
// system directory where Windows allows it and loads the lazily used DLLs from there.
void RestrictDllLoading();

// Asks Windows not to follow junctions and links that non-administrators made (RedirectionGuard,
// Windows 11 22H2 and later); where the system lacks it, nothing changes.
void RefuseUntrustedRedirection();
