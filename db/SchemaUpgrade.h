#pragma once

// Brings an older database file up to the current layout: every step whose threshold lies
// above the stored `AppVersion` is applied, then the program's version is stored and saved.
// Errors up to the index creation end the upgrade (DbError reaches the caller and AppVersion
// stays, so the steps run again next start); from the index creation on they are ignored.
void UpgradeSchema();
