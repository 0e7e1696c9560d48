// SPDX-License-Identifier: GPL-3.0-or-later
// Test relay: starts the engine the way a Windows interface does, with an anonymous pipe
// as its standard input, and forwards into that pipe everything the relay itself reads.
//
//     relais.exe ENGINE.exe
//
// The engine writes straight to the relay's standard output and error. When the relay's
// input ends, the pipe is closed and the engine meets the end of its input. The relay
// ends when the engine does, with its exit status (2 when it could not be started).
//
// Under Wine the relay's own standard input may be a Unix pipe, which the engine could
// not poll; the pipe made here is a Windows one.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE vers_moteur = nullptr;

// Forwards the relay's input to the engine until either side ends.
DWORD WINAPI transmet(LPVOID) {
    const HANDLE entree = GetStdHandle(STD_INPUT_HANDLE);
    char bloc[4096];
    DWORD lus = 0;
    while (ReadFile(entree, bloc, sizeof bloc, &lus, nullptr) && lus > 0) {
        DWORD ecrits = 0;
        for (DWORD fait = 0; fait < lus; fait += ecrits) {
            if (!WriteFile(vers_moteur, bloc + fait, lus - fait, &ecrits, nullptr)) return 0;
        }
    }
    CloseHandle(vers_moteur);
    return 0;
}

// A copy of one of the relay's standard handles that the engine can inherit.
HANDLE heritable(DWORD quel) {
    HANDLE copie = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(quel), GetCurrentProcess(), &copie, 0,
                    TRUE, DUPLICATE_SAME_ACCESS);
    return copie;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: relais ENGINE.exe\n");
        return 2;
    }
    SECURITY_ATTRIBUTES attributs{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE lecture = nullptr;
    if (!CreatePipe(&lecture, &vers_moteur, &attributs, 0)) {
        std::fprintf(stderr, "relais: CreatePipe: %lu\n", GetLastError());
        return 2;
    }
    // Only the read end goes to the engine; the write end stays the relay's alone, so that
    // closing it is the end of the engine's input.
    SetHandleInformation(vers_moteur, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA demarrage{};
    demarrage.cb = sizeof demarrage;
    demarrage.dwFlags = STARTF_USESTDHANDLES;
    demarrage.hStdInput = lecture;
    demarrage.hStdOutput = heritable(STD_OUTPUT_HANDLE);
    demarrage.hStdError = heritable(STD_ERROR_HANDLE);
    std::string commande = std::string("\"") + argv[1] + "\"";
    PROCESS_INFORMATION processus{};
    if (!CreateProcessA(nullptr, commande.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &demarrage, &processus)) {
        std::fprintf(stderr, "relais: CreateProcess %s: %lu\n", argv[1], GetLastError());
        return 2;
    }
    CloseHandle(lecture);
    CloseHandle(demarrage.hStdOutput);
    CloseHandle(demarrage.hStdError);
    CloseHandle(processus.hThread);

    // The forwarding thread may stay blocked on the relay's input; the relay's end ends it.
    const HANDLE fil = CreateThread(nullptr, 0, transmet, nullptr, 0, nullptr);
    if (fil != nullptr) CloseHandle(fil);
    WaitForSingleObject(processus.hProcess, INFINITE);
    DWORD statut = 2;
    GetExitCodeProcess(processus.hProcess, &statut);
    std::fflush(nullptr);
    ExitProcess(statut);
}
