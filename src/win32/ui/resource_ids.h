// Resource numbers of the program's pictures (pictures.rc.in), shared by the
// resource script and the code. The program icon is 1, which the about
// box loads too.
#pragma once

#define kProgramIcon 1
#define kSunPicture 10
#define kCloudPicture 11
#define kRainPicture 12
#define kSnowPicture 13
#define kInitialPicture 14
