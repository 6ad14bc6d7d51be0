#pragma once

#include <QString>

#include <optional>

// The data-server password in the system's keychain (the desktop's secret service, the macOS
// keychain, the Windows credential store). Where none runs (CI, headless, a settings file
// named by OSTREVAN_SETTINGS) the settings store keeps it, as before.
namespace passwordstore {

// False when the settings come from a named file or OSTREVAN_NO_KEYCHAIN is set: the keychain
// is then never asked, so nothing waits on a service that is not there.
bool keychainWanted();

// The stored password; nullopt when there is none or no keychain answers.
std::optional<QString> readKeychain();
// True when the keychain took the password.
bool writeKeychain(const QString &password);

// The account every data-server query sends, for every window and command, once the settings are
// loaded: the stored user name and the keychain's password. A password still in the settings store
// is moved into the keychain and taken out of the store; without a keychain the store's is used.
void loadQueryCredentials();

// Stores a new password: in the keychain when it takes it (the settings field is then left
// empty, so that no save writes it in plain text), else in the settings field. The caller saves
// the settings afterwards.
void storePassword(const QString &password);

} // namespace passwordstore
