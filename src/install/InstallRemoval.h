// src/install/InstallRemoval.h
#pragma once

class InstallManifest;

// Deletes from folder (ending with a separator) every file that the list
// of InstallType names, then the folders of its folder entries and folder
// itself where they end up empty. Reports nothing; no failure stops it.
void RemoveInstalledFiles(const char* folder);
void RemoveInstalledFiles(const InstallManifest& manifest, const char* folder);
