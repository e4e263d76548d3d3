#include "StartPreparation.h"
#include "editors/PanelPictures.h"
#include "editors/VeskFonts.h"

StartPreparation::StartPreparation()
    : thread ([]
              {
                  juce::Thread::setCurrentThreadName ("VeskEdit start");
                  VeskFonts::prepareSansSerif();

                  for (const auto& name : firstPagePictures())
                      PanelPictures::prepare (name); })
{
}

StartPreparation::~StartPreparation()
{
    thread.join();
}

const juce::StringArray& StartPreparation::firstPagePictures()
{
    static const juce::StringArray names { "commonGroup", "lfoGroup", "leadOscGroup", "leadFilterGroup",
                                           "leadAmplifierGroup", "outputGroup", "driveEffectGroup" };
    return names;
}
