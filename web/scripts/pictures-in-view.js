// Answers the addresses of the pictures that have not arrived yet and lie in the view or within
// `screens` view heights above or below it, in document order.
(function (screens) {
    var top = -screens * window.innerHeight, bottom = (1 + screens) * window.innerHeight, found = [];
    for (var img of document.images) {
        if (img.complete)
            continue;
        var box = img.getBoundingClientRect();
        if (box.bottom >= top && box.top <= bottom)
            found.push(img.currentSrc || img.src);
    }
    return found;
})
