// "kxvds tour": a short walk through every command on a fresh default machine.
#pragma once

#include "Commands.h"

namespace kxvds {

CommandRule TourCommand();

} // namespace kxvds
