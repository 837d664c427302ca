#include <cstdio>

int main() {
    std::puts("Ondrix: the main window is not yet available; run `make test` for the test suite.");
    return 0;
}
