#include "DemoGenerator.h"

#include <ostream>

// Placeholder until the demo generator lands.
int generateDemo(const DemoOptions &, std::ostream &, std::ostream &errors)
{
    errors << "generate-demo: not built yet\n";
    return 1;
}
