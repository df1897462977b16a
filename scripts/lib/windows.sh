# The Windows builds: MinGW-w64 cross compilers and Wine to run their programs.

ensure_windows_toolchains() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "== packages: adding the i386 architecture for 32-bit Wine"
        dpkg --add-architecture i386
        apt-get update -q
    fi
    ensure_packages g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 wine32:i386
}

toolchain_file() {
    if [ "$1" = 32 ]; then echo mingw-i686.cmake; else echo mingw-x86_64.cmake; fi
}

# Some hosts (sandboxes among them) cannot execute 32-bit code at all, and
# then 32-bit Wine cannot start.
can_run_windows_programs() {
    if [ "$1" = 32 ]; then
        /lib/ld-linux.so.2 --version >/dev/null 2>&1
    else
        [ -x /usr/lib/wine/wine64 ]
    fi
}
