// The running application, asked to close once the dialog shows.
#pragma once

// Sends WM_CLOSE to the last top-level window marked as the running application. Returns 0.
int CloseRunningInstance();
