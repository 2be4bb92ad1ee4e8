#include "app/VersionGate.h"

#include "foundation/Text.h"

#include <string>
#include <vector>

namespace veltrona {

bool versionGatePasses(std::string_view operatingSystemVersionString)
{
    const std::vector<std::string> words = split(operatingSystemVersionString, " ");
    if (words.size() < 2)
        return false;
    const std::vector<std::string> numbers = split(words[1], ".");
    if (numbers.size() < 2)
        return false;
    return intValue(numbers[0] + numbers[1]) == 1011;
}

} // namespace veltrona
