#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>

#include "rules/square.h"

class Position;
class QPainter;

// The board of the game display, always seen from White's side, with the rank digits
// to its left and the file digits (the keys that choose each file) under it. Init gives
// the phone's geometry (19-pixel squares at 12, 14), drawn from the pieces bitmap; the
// display may place the board anywhere at any square size (SetBoardGeometry), and
// squares of another size than the bitmap's cells take their pieces from the font's
// chess glyphs, drawn sharp at that size. The view shows a position it does not own
// and keeps no copy of it.
class BoardView : public QWidget {
public:
    static constexpr int kSquareSize = 19;
    static constexpr int kOriginX = 12;
    static constexpr int kOriginY = 14;
    // The phone client area the geometry is laid out for.
    static constexpr int kBaseWidth = 176;
    static constexpr int kBaseHeight = 180;
    static constexpr std::uint8_t kNone = 255;

    // A board with no selection, no position and no pieces strip yet.
    explicit BoardView(QWidget* parent = nullptr);
    ~BoardView() override;

    // Stores the geometry and the strip of piece cells (image and mask cells of
    // squareSize pixels each; a null strip draws the squares without pieces); the
    // labels take the program font.
    void Init(int squareSize, int originX, int originY, const QImage& bitmap);

    // Places the board: squares of `squareSize` pixels with the top-left corner of a8
    // at (originX, originY) of the widget, the labels in `labelFont`.
    void SetBoardGeometry(int squareSize, int originX, int originY, const QFont& labelFont);
    [[nodiscard]] int SquareSize() const { return squareSize_; }

    // Tints the two squares of the shown position's last move (off by default).
    void SetLastMoveShown(bool shown);

    // The position drawn by the next paint (not owned; null draws an empty board).
    void SetPosition(const Position* position);
    [[nodiscard]] const Position* ShownPosition() const { return position_; }

    // The square drawn with the highlight brush; a previously selected square is
    // repainted in its own colour.
    void SetSelection(int file, int rank);
    // Forgets the selected square (both coordinates become kNone) and repaints it.
    void ClearSelection();
    [[nodiscard]] std::uint8_t SelectedFile() const { return selectedFile_; }
    [[nodiscard]] std::uint8_t SelectedRank() const { return selectedRank_; }

    // The file whose digit label is drawn on the highlight colour; kNone for none.
    // Repaints the row of file labels when it changes.
    void SetHighlightedFile(int file);
    [[nodiscard]] std::uint8_t HighlightedFile() const { return highlightedFile_; }

    // Draws the 64 squares of `position` (empty squares when null), after the frame
    // just outside them when withFrame is set.
    void DrawBoard(QPainter& painter, const Position* position, bool withFrame) const;

    // Draws one square with its piece on the painter's current brush: from the bitmap
    // (the mask cell ANDed over the brush colour, then the image cell ORed over that)
    // when its cells have the square's size, else from the font's glyphs.
    void DrawSquare(QPainter& painter, const Position* position, int file, int rank) const;

    // Repaints the selected square alone: highlighted while it stays selected, in
    // its own colour once the selection is cleared. Nothing without a selection.
    void RedrawSelectedSquare();

    // The digits 1 to 8 beside the ranks, in the painter's font.
    void DrawRankLabels(QPainter& painter) const;

    // The digits 1 to 8 under the files on white, the highlighted file's on the
    // highlight colour.
    void DrawFileLabels(QPainter& painter) const;

    // Where square (file, rank) and the label of `file` are drawn, in widget pixels.
    [[nodiscard]] QRect SquareRect(int file, int rank) const;
    [[nodiscard]] QRect FileLabelRect(int file) const;

    // The labels' font.
    [[nodiscard]] QFont LabelFont() const { return labelFont_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // True for the phone's geometry, whose labels keep their fixed places.
    [[nodiscard]] bool HasPhoneGeometry() const;
    [[nodiscard]] bool UsesBitmap() const;
    [[nodiscard]] bool IsLastMoveSquare(int file, int rank) const;
    [[nodiscard]] QRect RankLabelRect(int rank) const;
    [[nodiscard]] int FrameWidth() const;

    int squareSize_ = kSquareSize;
    int originX_ = kOriginX;
    int originY_ = kOriginY;
    QFont labelFont_;
    bool lastMoveShown_ = false;
    std::uint8_t selectedFile_ = kNone;
    std::uint8_t selectedRank_ = kNone;
    std::uint8_t highlightedFile_ = kNone;
    const Position* position_ = nullptr;
    QImage bitmap_;  // the strip of cells (implicitly shared)
};
