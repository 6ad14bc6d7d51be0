#pragma once

// Brings an older database file up to the current layout: every step whose threshold lies
// above the stored `AppVersion` is applied, then the program's version is stored and saved.
// Errors up to the index creation end the upgrade (DbError reaches the caller and AppVersion
// stays, so the steps run again next start); from the index creation on they are ignored.
// The checks for tables, columns and indexes of later versions run when the file was not yet
// found whole by this program's layout (a number in the file's header says which it was).
void UpgradeSchema();
