// Collects the picture fetched under key: false while it is on its way, else its bytes as an
// ArrayBuffer (an empty text when they could not be had).
(function (key) {
    var store = window.__velmoraPictures;
    if (!store || !(key in store)) return '';
    var value = store[key];
    if (value === null) return false;
    delete store[key];
    return value;
})
