// A harmless demo file standing in for the script a lure shortcut opens.
