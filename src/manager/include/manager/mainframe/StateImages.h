#pragma once
// CStateImages: the 24 state images that the folder tree and the check list share,
// drawn as SVG and compiled into the program's resources (":/states/stateNN.svg").
//
//   0 node without state      1 root folder             2, 3 folder, selected folder
//   4, 5 folder with dependants and selected           6 spare
//   7, 8 Success (fresh)      9, 10 Uncertain (fresh)   11, 12 Failure (fresh)
//   13, 14 Error (fresh)      15 Maintenance            16 On Hold
//   17, 18 Failure by Dependee (fresh)                  19, 20 not monitored (fresh)
//   21, 22 Error by Dependee (fresh)                    23 check without a type
#include <QIcon>

#include <array>

class CStateImages {
public:
    static constexpr int kCount = 24;

    CStateImages();

    // The image `index`; a null icon outside 0 to 23.
    QIcon Icon(int index) const;
    // One icon that shows `normal` and, on a selected item, `selected`.
    QIcon Pair(int normal, int selected) const;
    // Whether every image was found in the resources and could be drawn.
    bool Complete() const;

private:
    std::array<QIcon, kCount> m_icons;
};
