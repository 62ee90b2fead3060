#include "app/domain/SystemRequirements.h"

#include <cstdint>

std::vector<std::string> SystemRequirementWarnings(int width, int height, int colorDepth)
{
    std::vector<std::string> warnings;
    if (width < MinScreenWidth || height < MinScreenHeight)
        warnings.push_back("The screen resolution should be equal " + std::to_string(MinScreenWidth) + " x " +
                           std::to_string(MinScreenHeight) +
                           " pixels or higher. Change screen resolution in Monitor Control Panel.");
    if (colorDepth < MinColorDepth)
        warnings.push_back("The number of colors of the screen should be equal to " +
                           std::to_string(int64_t{1} << MinColorDepth) +
                           " colors or higher. Change screen colors in Monitor Control Panel.");
    return warnings;
}
