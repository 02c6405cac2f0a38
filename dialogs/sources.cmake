# Sources of dialogs/: append to KORVEL_CORE_SOURCES (no Qt) or KORVEL_UI_SOURCES (Qt).
