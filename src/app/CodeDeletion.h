#pragma once

#include <QString>

class IBtn;
class Tmainselfstudy;

// Deleting learned codes from the main window: the delete-mode toggle, the
// delete of one key in delete mode and the clearing of the current device mode.
class CodeDeletion
{
public:
    explicit CodeDeletion(Tmainselfstudy &window);

    void IBtn78Click();
    // Delete mode is on and `key` was clicked.
    void deletekey(IBtn *key);
    void delallstudykeyClick();

private:
    Tmainselfstudy &w;
};
