#include "marketplace/unit_TBBasic.h"
#include "window/Program.h"

int main(int, char** argv) {
    window::RunQorvane(argv[0], marketplace::kGatewayUrl);
}
