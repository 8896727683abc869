// The purge of the application's downloaded content at start-up.
#pragma once

// Deletes the application's stale downloaded content from its per-user folder. Silent.
void PurgeCachedContent();
