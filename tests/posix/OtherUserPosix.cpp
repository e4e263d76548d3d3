#include "OtherUser.h"

#include <unistd.h>

OtherUser::OtherUser()
{
    if (::geteuid() != 0)
        whyNot = "only root can run programs as another user";
    else if (! run ({ "true" }))
        whyNot = "setpriv cannot run programs as user " + juce::String (uid) + " here";
}
