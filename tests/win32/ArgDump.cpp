// Writes the arguments it was started with, one a line in UTF-8, to the file named by
// the environment variable KORDAN_ARGDUMP, so a test can see how a command line arrived.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* target = _wgetenv(L"KORDAN_ARGDUMP");
    // Written beside and renamed, so the test never reads half a file.
    const std::wstring partial = std::wstring(target ? target : L"") + L".part";
    FILE* out = argv && target ? _wfopen(partial.c_str(), L"wb") : nullptr;
    if (!out)
        return 1;
    for (int i = 1; i < argc; ++i) {
        char buffer[4096];
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, buffer, sizeof buffer, 0, 0);
        std::fprintf(out, "%s\n", n > 0 ? buffer : "");
    }
    std::fclose(out);
    return MoveFileW(partial.c_str(), target) ? 0 : 1;
}
