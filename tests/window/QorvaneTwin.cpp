// Qorvane itself, with the gateway of the tests' sandbox built in.

#include "window/Program.h"

int main(int, char** argv) {
    window::RunQorvane(argv[0], QORVANE_TWIN_GATEWAY_URL);
}
