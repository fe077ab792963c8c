// The help text "Data/pak0.pak": plain text, one screen line per line. The
// help screen cuts lines at 46 characters on the smallest screen, so every
// line here stays at 45 or less, and uses only characters of the font.
#include "datagen.h"

namespace datagen {

namespace {

const char* const lines[] = {
    "VALKRON ENGINE 1.0 - HOW TO PLAY",
    "",
    "Up and Down scroll this text.",
    "Esc goes back to the menu.",
    "",
    "THE MATCH",
    "Two pilots share one keyboard and one",
    "screen. Player 1 flies in the left half,",
    "player 2 in the right half, each looking",
    "out of his own cockpit.",
    "Shoot the other aeroplane down to score a",
    "frag. The first pilot to reach the frag",
    "limit wins the match.",
    "",
    "PLAYER 1 - LEFT HALF",
    "Up arrow ........ raise the nose",
    "Down arrow ...... lower the nose",
    "Left arrow ...... turn left",
    "Right arrow ..... turn right",
    "Insert .......... accelerate",
    "Delete .......... brake",
    "Home ............ fire",
    "",
    "PLAYER 2 - RIGHT HALF",
    "W ............... raise the nose",
    "S ............... lower the nose",
    "A ............... turn left",
    "D ............... turn right",
    "1 ............... accelerate",
    "2 ............... brake",
    "3 ............... fire",
    "(the digits above the letters, not the",
    "ones of the number pad)",
    "",
    "Esc during a match ends it and goes back",
    "to the menu.",
    "",
    "FLYING",
    "There is no ground and no gravity, only",
    "space and the stars. You always fly where",
    "your nose points. Hold accelerate to reach",
    "full speed. Let go and you glide to a",
    "stop, brake to stop much sooner. Turns",
    "build up while the key is held and die",
    "away when you let go. All six aeroplanes",
    "fly the same - pick the one you like.",
    "",
    "INSTRUMENTS",
    "In the middle of your view are the aiming",
    "mark, your energy in % below it and the",
    "speed bar above it. A small cross on a",
    "circle around the centre points to the",
    "other aeroplane. It is yellow when he is",
    "ahead of you and blue-green when he is",
    "behind you. Your name and your frags are",
    "at the top of your view.",
    "",
    "ENERGY AND FRAGS",
    "Every round starts with 100 energy. Each",
    "hit takes 5. At 0 % you still fly, but",
    "the 21st hit destroys you.",
    "Flying into the other aeroplane destroys",
    "both, and then nobody gets a frag.",
    "A shot hits anyone who flies into it,",
    "even the pilot who fired it.",
    "When an aeroplane is destroyed its view",
    "turns to noise, the other pilot sees it",
    "explode, and a message names who got the",
    "frag. Then a new round starts, both with",
    "full energy, from new places.",
    "When a pilot reaches the frag limit the",
    "match ends and the winner screen shows",
    "his name. Esc skips it.",
    "",
    "THE MENU",
    "Up and Down choose an item, Left and",
    "Right change its value, Enter selects it.",
    "Esc in the menu saves the settings and",
    "quits the game.",
    "",
    "New game",
    "  starts a match.",
    "Change limit",
    "  Left and Right set the frag limit.",
    "Change player's 1 name (or 2)",
    "  Enter, then type the name with letters,",
    "  digits and space. Backspace deletes,",
    "  Enter again ends the typing.",
    "Change player's 1 plane (or 2)",
    "  Left and Right pick one of the six",
    "  aeroplanes.",
    "Help",
    "  shows this text.",
    "Credits",
    "  shows who made the game. Esc returns.",
    "Change screen resolution",
    "  Left and Right switch between 400x300",
    "  and 1024x768. The intro plays again.",
    "Exit",
    "  saves the settings and quits.",
    "",
    "THE AEROPLANES",
    "Happy ........ a chubby little racer",
    "Goliash 215 .. a heavy twin-engined fighter",
    "Titan Hs ..... a big twin-tailed jet",
    "Lizard 372 ... a nimble propeller fighter",
    "Lizard 486 ... its jet-powered successor",
    "Needle ....... a long, thin interceptor",
    "",
    "TIPS",
    "- Shots fly 100 units a frame, straight",
    "  ahead. Lead a turning target.",
    "- Shots fly about 1700 units, then fade.",
    "  Get closer for a sure hit.",
    "- Watch the cross. When it is blue-green",
    "  he is behind you - turn hard!",
    "",
    "Good hunting, pilots!",
};

}  // namespace

std::string help_text()
{
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

void add_help_text(std::vector<OutputFile>& out)
{
    const std::string text = help_text();
    out.push_back({"Data/pak0.pak", std::vector<uint8_t>(text.begin(), text.end())});
}

}  // namespace datagen
