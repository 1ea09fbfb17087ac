#pragma once
// TAbout: the about box with the version, the credits, the maker's links and
// an OK button.
#include <QDialog>

namespace veltrin {

class Shell;

inline constexpr const char* kAboutVersionText = "Veltrin  V1.11";
inline constexpr const char* kMakerHomePage = "https://veltrin.example.org/";
inline constexpr const char* kMakerMail = "mailto:veltrin@example.org";
inline constexpr const char* kDonationPage = "https://veltrin.example.org/donate";
inline constexpr const char* kShopPage = "https://shop.veltrin.example.org/";

class TAbout : public QDialog {
    Q_OBJECT
public:
    // Links are opened through shell (which must outlive the box).
    explicit TAbout(Shell& shell, QWidget* parent = nullptr);
};

}  // namespace veltrin
